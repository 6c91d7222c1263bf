#include "tests/support/PrivateSessionBus.h"

#include "tests/support/PrivateSystemBus.h"
#include "tests/support/TestFiles.h"

#include <csignal>
#include <stdexcept>

namespace trelvo::test {

std::vector<std::string> busDaemonCommand(const std::filesystem::path& folder) {
    static int made = 0;
    const auto config = folder / ("bus-" + std::to_string(++made) + ".conf");
    // A session bus's policy, without the service folders a real one would start programs from.
    writeFile(config, R"(<busconfig><type>session</type><listen>unix:tmpdir=/tmp</listen>
<auth>EXTERNAL</auth><policy context="default"><allow send_destination="*" eavesdrop="true"/>
<allow eavesdrop="true"/><allow own="*"/></policy></busconfig>)");
    return {"dbus-daemon", "--config-file=" + config.string(), "--nofork", "--nopidfile",
            "--print-address=1"};
}

PrivateSessionBus::PrivateSessionBus()
    : daemon_(busDaemonCommand(folder_.path()), folder_.path()) {
    address_ = daemon_.waitForLine("", std::chrono::seconds(10)).value_or("");
    if (address_.empty()) {
        throw std::runtime_error("dbus-daemon did not start: " + daemon_.errors());
    }
    setenv("DBUS_SESSION_BUS_ADDRESS", address_.c_str(), 1);
}

PrivateSessionBus::~PrivateSessionBus() {
    unsetenv("DBUS_SESSION_BUS_ADDRESS");
    daemon_.signal(SIGTERM);
    daemon_.waitForExit(std::chrono::seconds(5));
}

namespace {

void closeConnection(GDBusConnection* connection) {
    g_dbus_connection_close_sync(connection, nullptr, nullptr);
    g_object_unref(connection);
}

} // namespace

PrivateSystemBus::PrivateSystemBus(const std::filesystem::path& folder)
    : daemon_(busDaemonCommand(folder), folder) {
    address_ = daemon_.waitForLine("", std::chrono::seconds(10)).value_or("");
    if (address_.empty()) {
        return;
    }
    named_.emplace("DBUS_SYSTEM_BUS_ADDRESS", address_);
    auto flags = static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                                   G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION);
    login_ = {
        g_dbus_connection_new_for_address_sync(address_.c_str(), flags, nullptr, nullptr, nullptr),
        &closeConnection};
    if (!login_) {
        return;
    }
    // Ours to end: the test decides when the bus goes away, not the connection.
    g_dbus_connection_set_exit_on_close(login_.get(), FALSE);
    g_autoptr(GVariant) reply = g_dbus_connection_call_sync(
        login_.get(), "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
        "RequestName", g_variant_new("(su)", "org.freedesktop.login1", 4u /* DO_NOT_QUEUE */),
        G_VARIANT_TYPE("(u)"), G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, nullptr);
    guint32 result = 0;
    if (reply) {
        g_variant_get(reply, "(u)", &result);
    }
    if (result != 1 /* PRIMARY_OWNER */) {
        login_.reset();
    }
}

PrivateSystemBus::~PrivateSystemBus() {
    stop();
}

bool PrivateSystemBus::announceSleep(bool goingToSleep) {
    return login_ &&
           g_dbus_connection_emit_signal(login_.get(), nullptr, "/org/freedesktop/login1",
                                         "org.freedesktop.login1.Manager", "PrepareForSleep",
                                         g_variant_new("(b)", goingToSleep), nullptr) &&
           g_dbus_connection_flush_sync(login_.get(), nullptr, nullptr);
}

void PrivateSystemBus::stop() {
    login_.reset();
    daemon_.signal(SIGTERM);
    daemon_.waitForExit(std::chrono::seconds(5));
    named_.reset();
}

} // namespace trelvo::test
