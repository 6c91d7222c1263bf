#include "tests/support/VirtualDisplay.h"

#include <csignal>

namespace trelvo::test {

// -displayfd: the number is written once the server accepts clients.
VirtualDisplay::VirtualDisplay(int width, int height)
    : server_({"Xvfb", "-displayfd", "1", "-noreset", "-nolisten", "tcp", "-screen", "0",
               std::to_string(width) + "x" + std::to_string(height) + "x24"},
              logs_.path()) {
    if (server_.started()) {
        name_ = ":" + server_.waitForLine("", std::chrono::seconds(20)).value_or("");
        name_ = name_ == ":" ? "" : name_;
    }
}

// Asked to go, so that it removes its lock file and socket for the next one.
VirtualDisplay::~VirtualDisplay() {
    server_.signal(SIGTERM);
    server_.waitForExit(std::chrono::seconds(5));
}

} // namespace trelvo::test
