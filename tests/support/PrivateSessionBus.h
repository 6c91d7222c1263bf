#pragma once

#include "tests/support/ChildProgram.h"
#include "tests/support/TemporaryDirectory.h"

#include <filesystem>
#include <gio/gio.h>
#include <string>
#include <vector>

namespace trelvo::test {

// A dbus-daemon of the test's own, with no services to start on demand, named in
// DBUS_SESSION_BUS_ADDRESS while it lives.
class PrivateSessionBus {
public:
    PrivateSessionBus();
    ~PrivateSessionBus();
    PrivateSessionBus(const PrivateSessionBus&) = delete;
    PrivateSessionBus& operator=(const PrivateSessionBus&) = delete;

    const std::string& address() const { return address_; }

private:
    TemporaryDirectory folder_{"trelvo-bus"};
    ChildProgram daemon_;
    std::string address_;
};

// The command that starts such a daemon, its configuration written into `folder`; it prints
// its address as its first line.
std::vector<std::string> busDaemonCommand(const std::filesystem::path& folder);

} // namespace trelvo::test
