#include "tests/support/VirtualDisplay.h"

#include <fcntl.h>
#include <gio/gio.h>
#include <glib-unix.h>
#include <poll.h>
#include <unistd.h>

namespace trelvo::test {

namespace {

// What Xvfb writes to the -displayfd descriptor once it accepts clients: the number and a
// newline. Nothing within the bound means it did not start.
std::string displayNumber(int fd) {
    std::string text;
    for (;;) {
        pollfd ready{fd, POLLIN, 0};
        if (poll(&ready, 1, 20'000) <= 0) {
            return {};
        }
        char buffer[32];
        auto got = ::read(fd, buffer, sizeof buffer);
        if (got <= 0) {
            return {};
        }
        text.append(buffer, static_cast<std::size_t>(got));
        if (auto end = text.find('\n'); end != std::string::npos) {
            return text.substr(0, end);
        }
    }
}

} // namespace

VirtualDisplay::VirtualDisplay(int width, int height) {
    int pipe[2];
    if (!g_unix_open_pipe(pipe, FD_CLOEXEC, nullptr)) {
        return;
    }
    g_autoptr(GSubprocessLauncher) launcher =
        g_subprocess_launcher_new(static_cast<GSubprocessFlags>(G_SUBPROCESS_FLAGS_STDOUT_SILENCE |
                                                                G_SUBPROCESS_FLAGS_STDERR_SILENCE));
    g_subprocess_launcher_take_fd(launcher, pipe[1], 3);
    const auto screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
    server_ = g_subprocess_launcher_spawn(launcher, nullptr, "Xvfb", "-displayfd", "3", "-screen",
                                          "0", screen.c_str(), "-nolisten", "tcp", nullptr);
    if (server_) {
        if (auto number = displayNumber(pipe[0]); !number.empty()) {
            name_ = ":" + number;
        }
    }
    ::close(pipe[0]);
}

VirtualDisplay::~VirtualDisplay() {
    if (server_) {
        g_subprocess_force_exit(server_);
        g_subprocess_wait(server_, nullptr, nullptr);
        g_object_unref(server_);
    }
}

} // namespace trelvo::test
