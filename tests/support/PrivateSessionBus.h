#pragma once

#include "tests/support/ChildProgram.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TemporaryDirectory.h"

#include <csignal>
#include <filesystem>
#include <gio/gio.h>
#include <optional>
#include <stdexcept>
#include <string>

namespace trelvo::test {

// A dbus-daemon of the test's own, with a session bus's policy and no services to start on
// demand, named in the environment `variable` while it runs. Its files go to `folder`, or to a
// folder of its own.
class PrivateBus {
public:
    explicit PrivateBus(const char* variable, const std::filesystem::path& folder = {})
        : config_(configure((folder.empty() ? folder_.path() : folder) / "bus.conf"))
        , daemon_({"dbus-daemon", "--config-file=" + config_.string(), "--nofork", "--nopidfile",
                   "--print-address=1"},
                  config_.parent_path())
        , address_(daemon_.waitForLine("", std::chrono::seconds(10)).value_or("")) {
        if (!address_.empty()) {
            named_.emplace(variable, address_);
        }
    }
    ~PrivateBus() { stop(); }
    // Empty when the daemon did not start.
    const std::string& address() const { return address_; }
    // Ends the daemon, as a restart of the bus would.
    void stop() {
        named_.reset();
        daemon_.signal(SIGTERM);
        daemon_.waitForExit(std::chrono::seconds(5));
    }

protected:
    static std::filesystem::path configure(const std::filesystem::path& file) {
        writeFile(file, R"(<busconfig><type>session</type><listen>unix:tmpdir=/tmp</listen>
<auth>EXTERNAL</auth><policy context="default"><allow send_destination="*" eavesdrop="true"/>
<allow eavesdrop="true"/><allow own="*"/></policy></busconfig>)");
        return file;
    }

    TemporaryDirectory folder_{"trelvo-bus"};
    std::filesystem::path config_;
    ChildProgram daemon_;
    std::string address_;
    std::optional<ScopedEnv> named_;
};

// The session bus, in DBUS_SESSION_BUS_ADDRESS; throws when the daemon does not start.
class PrivateSessionBus : public PrivateBus {
public:
    PrivateSessionBus()
        : PrivateBus("DBUS_SESSION_BUS_ADDRESS") {
        if (address_.empty()) {
            throw std::runtime_error("dbus-daemon did not start: " + daemon_.errors());
        }
    }
};

// A connection to the bus at `address` that has asked for `name` (queued behind an owner that
// is still leaving); null on failure, with `error` set.
inline GDBusConnection* connectOwning(const char* address, const char* name,
                                      GError** error = nullptr) {
    auto* connection = g_dbus_connection_new_for_address_sync(
        address,
        GDBusConnectionFlags(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                             G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
        nullptr, nullptr, error);
    g_autoptr(GVariant) asked =
        connection ? g_dbus_connection_call_sync(
                         connection, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                         "org.freedesktop.DBus", "RequestName", g_variant_new("(su)", name, 0u),
                         G_VARIANT_TYPE("(u)"), G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, error)
                   : nullptr;
    if (connection && !asked) {
        g_dbus_connection_close_sync(connection, nullptr, nullptr);
        g_clear_object(&connection);
    }
    return connection;
}

} // namespace trelvo::test
