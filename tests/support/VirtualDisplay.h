#pragma once

// A private X server (Xvfb) on a display number it picks itself, ended with the value. It does
// not reset when its last client leaves: a test's probes may come and go before the program
// under test connects.
//   VirtualDisplay display;
//   if (display.name().empty()) { ... Xvfb did not start ... }
//   launcher: DISPLAY=display.name()

#include "tests/support/ChildProgram.h"
#include "tests/support/TemporaryDirectory.h"

#include <string>

namespace trelvo::test {

class VirtualDisplay {
public:
    VirtualDisplay(int width = 1024, int height = 768);
    ~VirtualDisplay();
    VirtualDisplay(const VirtualDisplay&) = delete;
    VirtualDisplay& operator=(const VirtualDisplay&) = delete;

    // ":N", or empty when the server did not start.
    const std::string& name() const { return name_; }

private:
    TemporaryDirectory logs_{"trelvo-xvfb"};
    ChildProgram server_;
    std::string name_;
};

} // namespace trelvo::test
