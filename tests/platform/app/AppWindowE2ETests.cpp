#include <csignal>
#include <fcntl.h>
#include <gio/gio.h>
#include <gio/gunixinputstream.h>
#include <glib-unix.h>
#include <glib.h>
#include <gtest/gtest.h>
#include <optional>
#include <poll.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// The next line a child wrote, or nothing within a generous deadline.
std::optional<std::string> nextLine(GInputStream* stream, std::string& pending) {
    int fd = g_unix_input_stream_get_fd(G_UNIX_INPUT_STREAM(stream));
    for (;;) {
        if (auto end = pending.find('\n'); end != std::string::npos) {
            auto line = pending.substr(0, end);
            pending.erase(0, end + 1);
            return line;
        }
        pollfd ready{fd, POLLIN, 0};
        if (poll(&ready, 1, 20'000) <= 0) {
            return std::nullopt;
        }
        char buffer[256];
        auto got = ::read(fd, buffer, sizeof buffer);
        if (got <= 0) {
            return std::nullopt;
        }
        pending.append(buffer, static_cast<std::size_t>(got));
    }
}

std::optional<std::string> which(const char* program) {
    g_autofree gchar* path = g_find_program_in_path(program);
    return path ? std::optional<std::string>(path) : std::nullopt;
}

// A private X server on a display number it picks itself.
class VirtualDisplay {
public:
    VirtualDisplay() {
        int pipe[2];
        if (!g_unix_open_pipe(pipe, FD_CLOEXEC, nullptr)) {
            return;
        }
        g_autoptr(GSubprocessLauncher) launcher = g_subprocess_launcher_new(
            static_cast<GSubprocessFlags>(G_SUBPROCESS_FLAGS_STDERR_SILENCE));
        g_subprocess_launcher_take_fd(launcher, pipe[1], 3);
        server_ =
            g_subprocess_launcher_spawn(launcher, nullptr, "Xvfb", "-displayfd", "3", "-screen",
                                        "0", "640x480x24", "-nolisten", "tcp", nullptr);
        g_autoptr(GInputStream) in = g_unix_input_stream_new(pipe[0], TRUE);
        std::string pending;
        if (server_) {
            if (auto number = nextLine(in, pending)) {
                name_ = ":" + *number;
            }
        }
    }
    ~VirtualDisplay() {
        if (server_) {
            g_subprocess_force_exit(server_);
            g_subprocess_wait(server_, nullptr, nullptr);
            g_object_unref(server_);
        }
    }
    const std::string& name() const { return name_; }

private:
    GSubprocess* server_ = nullptr;
    std::string name_;
};

int run(const std::vector<std::string>& command, const std::string& display) {
    g_autoptr(GSubprocessLauncher) launcher =
        g_subprocess_launcher_new(static_cast<GSubprocessFlags>(G_SUBPROCESS_FLAGS_STDOUT_SILENCE |
                                                                G_SUBPROCESS_FLAGS_STDERR_SILENCE));
    g_subprocess_launcher_setenv(launcher, "DISPLAY", display.c_str(), TRUE);
    std::vector<const char*> argv;
    for (const auto& part : command) {
        argv.push_back(part.c_str());
    }
    argv.push_back(nullptr);
    g_autoptr(GSubprocess) process = g_subprocess_launcher_spawnv(launcher, argv.data(), nullptr);
    if (!process || !g_subprocess_wait(process, nullptr, nullptr)) {
        return -1;
    }
    return g_subprocess_get_if_exited(process) ? g_subprocess_get_exit_status(process) : -1;
}

} // namespace

TEST(AppWindow, OpensOnADisplayTakesARealClickAndEndsCleanlyOnSigterm) {
    if (!which("Xvfb") || !which("xdotool")) {
        GTEST_SKIP() << "needs Xvfb and xdotool";
    }
    VirtualDisplay display;
    ASSERT_FALSE(display.name().empty()) << "Xvfb did not start";

    g_autoptr(GSubprocessLauncher) launcher =
        g_subprocess_launcher_new(G_SUBPROCESS_FLAGS_STDOUT_PIPE);
    g_subprocess_launcher_setenv(launcher, "DISPLAY", display.name().c_str(), TRUE);
    g_subprocess_launcher_unsetenv(launcher, "WAYLAND_DISPLAY");
    g_subprocess_launcher_setenv(launcher, "TINY_APP_BUTTON", "1", TRUE);
    g_subprocess_launcher_setenv(launcher, "TINY_APP_STILL", "1", TRUE);
    g_subprocess_launcher_setenv(launcher, "NO_AT_BRIDGE", "1", TRUE);
    g_subprocess_launcher_setenv(launcher, "GSETTINGS_BACKEND", "memory", TRUE);
    g_autoptr(GSubprocess) app = g_subprocess_launcher_spawn(launcher, nullptr, TINY_APP, nullptr);
    ASSERT_TRUE(app);
    auto* out = g_subprocess_get_stdout_pipe(app);
    std::string pending;

    ASSERT_EQ(nextLine(out, pending), "appeared"); // drawn on screen, actions run
    // Without a window manager the window sits at the origin; its content is the button.
    EXPECT_EQ(run({"xdotool", "mousemove", "20", "15", "click", "1"}, display.name()), 0);
    EXPECT_EQ(nextLine(out, pending), "clicked");

    g_subprocess_send_signal(app, SIGTERM);
    ASSERT_TRUE(g_subprocess_wait(app, nullptr, nullptr));
    ASSERT_TRUE(g_subprocess_get_if_exited(app));
    EXPECT_EQ(g_subprocess_get_exit_status(app), 0);
    EXPECT_EQ(nextLine(out, pending), std::nullopt); // nothing more, and the pipe closed
}
