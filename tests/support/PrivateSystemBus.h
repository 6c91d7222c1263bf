#pragma once

// A private bus standing in for the system bus (named in DBUS_SYSTEM_BUS_ADDRESS while it
// lives), on which the test holds logind's name and can say that the machine has gone to
// sleep or woken up.

#include "tests/support/PrivateSessionBus.h"

namespace trelvo::test {

class PrivateSystemBus : public PrivateBus {
public:
    explicit PrivateSystemBus(const std::filesystem::path& folder)
        : PrivateBus("DBUS_SYSTEM_BUS_ADDRESS", folder)
        , login_(address_.empty() ? nullptr
                                  : connectOwning(address_.c_str(), "org.freedesktop.login1")) {}
    ~PrivateSystemBus() { stop(); }
    // Whether the daemon runs and the test owns org.freedesktop.login1 on it.
    bool ready() const { return login_ != nullptr; }
    // logind's PrepareForSleep: true before suspending, false on resume.
    bool announceSleep(bool goingToSleep) {
        return login_ &&
               g_dbus_connection_emit_signal(login_, nullptr, "/org/freedesktop/login1",
                                             "org.freedesktop.login1.Manager", "PrepareForSleep",
                                             g_variant_new("(b)", goingToSleep), nullptr) &&
               g_dbus_connection_flush_sync(login_, nullptr, nullptr);
    }
    void stop() {
        if (login_) {
            g_dbus_connection_close_sync(login_, nullptr, nullptr);
            g_clear_object(&login_);
        }
        PrivateBus::stop();
    }

private:
    GDBusConnection* login_ = nullptr;
};

} // namespace trelvo::test
