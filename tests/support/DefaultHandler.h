#pragma once

// A private desktop whose only https handler is a script that appends each URL it is started
// with, one line per launch, to a file the test reads; never a real browser.
//   DefaultHandler handler;
//   handler.apply();                        // this process (GIO reads the XDG folders once)
//   spawn(..., handler.environment());      // or a child's environment
//   EXPECT_EQ(handler.nextOpened(), "https://127.0.0.1:PORT");

#include "tests/support/TemporaryDirectory.h"

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace trelvo::test {

class DefaultHandler {
public:
    DefaultHandler();
    DefaultHandler(const DefaultHandler&) = delete;
    DefaultHandler& operator=(const DefaultHandler&) = delete;

    // NAME=VALUE for the XDG variables that point at this desktop.
    std::vector<std::string> environment() const;
    void apply() const;

    // The next URL a launched handler received, or nothing within the limit.
    std::optional<std::string>
    nextOpened(std::chrono::milliseconds limit = std::chrono::seconds(20));

private:
    TemporaryDirectory root_{"trelvo-desktop"};
    std::size_t taken_ = 0; // lines already handed out
};

} // namespace trelvo::test
