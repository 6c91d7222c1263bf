#include <algorithm>
#include <cairo.h>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <fcntl.h>
#include <gio/gio.h>
#include <gio/gunixinputstream.h>
#include <glib-unix.h>
#include <glib.h>
#include <gtest/gtest.h>
#include <memory>
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

// The centre of the lamp (pure system blue) on the screen: the window draws its content centred
// under its header bar, wherever those put it.
std::optional<std::pair<int, int>> findLamp(const std::string& display) {
    const auto shot =
        std::string(g_get_tmp_dir()) + "/tiny-app-" + std::to_string(getpid()) + ".png";
    if (run({"import", "-window", "root", shot}, display) != 0) {
        return std::nullopt;
    }
    std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)> picture(
        cairo_image_surface_create_from_png(shot.c_str()), cairo_surface_destroy);
    std::remove(shot.c_str());
    auto* image = picture.get();
    int minX = 1 << 30, minY = 1 << 30, maxX = -1, maxY = -1;
    if (cairo_surface_status(image) == CAIRO_STATUS_SUCCESS) {
        const int stride = cairo_image_surface_get_stride(image);
        for (int y = 0; y < cairo_image_surface_get_height(image); ++y) {
            const auto* row = reinterpret_cast<const std::uint32_t*>(
                cairo_image_surface_get_data(image) + y * stride);
            for (int x = 0; x < cairo_image_surface_get_width(image); ++x) {
                if ((row[x] & 0xFFFFFF) == 0x007AFF) {
                    minX = std::min(minX, x), maxX = std::max(maxX, x);
                    minY = std::min(minY, y), maxY = std::max(maxY, y);
                }
            }
        }
    }
    if (maxX < 0) {
        return std::nullopt;
    }
    return std::pair{(minX + maxX) / 2, (minY + maxY) / 2};
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
    auto lamp = findLamp(display.name());
    ASSERT_TRUE(lamp) << "the button is not on the screen";
    EXPECT_EQ(run({"xdotool", "mousemove", std::to_string(lamp->first),
                   std::to_string(lamp->second), "click", "1"},
                  display.name()),
              0);
    EXPECT_EQ(nextLine(out, pending), "clicked");

    g_subprocess_send_signal(app, SIGTERM);
    ASSERT_TRUE(g_subprocess_wait(app, nullptr, nullptr));
    ASSERT_TRUE(g_subprocess_get_if_exited(app));
    EXPECT_EQ(g_subprocess_get_exit_status(app), 0);
    EXPECT_EQ(nextLine(out, pending), std::nullopt); // nothing more, and the pipe closed
}
