#pragma once

// The accessibility bus of a private session: at-spi-bus-launcher started on the session bus
// named in DBUS_SESSION_BUS_ADDRESS (a PrivateSessionBus), its sockets in a folder of the
// test's, so that programs started after it expose their accessible trees there and a reader
// (pyatspi) finds them. Ended, with the bus and the registry it started, with the value.
//   PrivateSessionBus session;
//   AccessibilityBus accessibility(folder);
//   ASSERT_TRUE(accessibility.ready());
//   ChildProgram app({...}, folder, {"NO_AT_BRIDGE"});   // GTK's bridge on

#include "tests/support/ChildProgram.h"

#include <filesystem>
#include <optional>

namespace trelvo::test {

class AccessibilityBus {
public:
    static constexpr const char* launcher = "/usr/libexec/at-spi-bus-launcher";

    explicit AccessibilityBus(const std::filesystem::path& folder);
    AccessibilityBus(const AccessibilityBus&) = delete;
    AccessibilityBus& operator=(const AccessibilityBus&) = delete;

    // Whether the launcher answers as org.a11y.Bus on the session bus.
    bool ready() const { return ready_; }

private:
    std::optional<ChildProgram> launcher_;
    bool ready_ = false;
};

} // namespace trelvo::test
