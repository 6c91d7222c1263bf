#pragma once

// A private X server (Xvfb) on a display number it picks itself, ended with the value.
//   VirtualDisplay display;
//   if (display.name().empty()) { ... Xvfb did not start ... }
//   launcher: DISPLAY=display.name()

#include <string>

typedef struct _GSubprocess GSubprocess;

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
    GSubprocess* server_ = nullptr;
    std::string name_;
};

} // namespace trelvo::test
