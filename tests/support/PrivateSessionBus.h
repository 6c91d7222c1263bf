#pragma once

#include <filesystem>
#include <gio/gio.h>
#include <string>

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
    std::filesystem::path config_;
    GSubprocess* daemon_ = nullptr;
    std::string address_;
};

} // namespace trelvo::test
