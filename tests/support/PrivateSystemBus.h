#pragma once

// A dbus-daemon of the test's own standing in for the system bus (named in
// DBUS_SYSTEM_BUS_ADDRESS while it lives), on which the test holds logind's name and can say
// that the machine has gone to sleep or woken up.
//   PrivateSystemBus bus(folder);
//   ... start the code under test; it connects to "the system bus" ...
//   bus.announceSleep(false);   // PrepareForSleep(false): resumed
//   bus.stop();                 // the bus goes away under the code

#include "tests/support/ChildProgram.h"
#include "tests/support/PrivateSessionBus.h"
#include "tests/support/ScopedEnv.h"

#include <filesystem>
#include <gio/gio.h>
#include <memory>
#include <optional>
#include <string>

namespace trelvo::test {

class PrivateSystemBus {
public:
    explicit PrivateSystemBus(const std::filesystem::path& folder);
    ~PrivateSystemBus();
    PrivateSystemBus(const PrivateSystemBus&) = delete;
    PrivateSystemBus& operator=(const PrivateSystemBus&) = delete;

    // Whether the daemon runs and the test owns org.freedesktop.login1 on it.
    bool ready() const { return static_cast<bool>(login_); }
    // logind's PrepareForSleep: true before suspending, false on resume.
    bool announceSleep(bool goingToSleep);
    // Ends the daemon, as a restart of the system bus would.
    void stop();

private:
    ChildProgram daemon_;
    std::string address_;
    std::optional<trelvo::test::ScopedEnv> named_;
    std::unique_ptr<GDBusConnection, void (*)(GDBusConnection*)> login_{nullptr, nullptr};
};

} // namespace trelvo::test
