#pragma once

// A private X server (Xvfb) on a display number it picks itself, ended with the value. It does
// not reset when its last client leaves: a test's probes may come and go before the program
// under test connects.

#include "tests/support/ChildProgram.h"
#include "tests/support/TemporaryDirectory.h"

#include <csignal>
#include <string>

namespace trelvo::test {

class VirtualDisplay {
public:
    // -displayfd: the number is written once the server accepts clients.
    VirtualDisplay(int width = 1024, int height = 768)
        : server_({"Xvfb", "-displayfd", "1", "-noreset", "-nolisten", "tcp", "-screen", "0",
                   std::to_string(width) + "x" + std::to_string(height) + "x24"},
                  logs_.path()) {
        auto number =
            server_.pid() > 0 ? server_.waitForLine("", std::chrono::seconds(20)) : std::nullopt;
        name_ = number ? ":" + *number : "";
    }
    // Asked to go, so that it removes its lock file and socket for the next one.
    ~VirtualDisplay() {
        server_.signal(SIGTERM);
        server_.waitForExit(std::chrono::seconds(5));
    }
    // ":N" for DISPLAY, or empty when the server did not start.
    const std::string& name() const { return name_; }

private:
    TemporaryDirectory logs_{"trelvo-xvfb"};
    ChildProgram server_;
    std::string name_;
};

} // namespace trelvo::test
