#include "tests/support/PrivateSystemBus.h"

namespace trelvo::test {

namespace {

constexpr const char* loginName = "org.freedesktop.login1";

void closeConnection(GDBusConnection* connection) {
    g_dbus_connection_close_sync(connection, nullptr, nullptr);
    g_object_unref(connection);
}

} // namespace

PrivateSystemBus::PrivateSystemBus(const std::filesystem::path& folder)
    : daemon_({"dbus-daemon", "--session", "--nofork", "--nopidfile", "--print-address=1"},
              folder) {
    address_ = daemon_.waitForLine("", std::chrono::seconds(10)).value_or("");
    if (address_.empty()) {
        return;
    }
    named_.emplace("DBUS_SYSTEM_BUS_ADDRESS", address_);
    GError* error = nullptr;
    GDBusConnection* connection = g_dbus_connection_new_for_address_sync(
        address_.c_str(),
        static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                          G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
        nullptr, nullptr, &error);
    if (!connection) {
        g_clear_error(&error);
        return;
    }
    // Ours to end: the test decides when the bus goes away, not the connection.
    g_dbus_connection_set_exit_on_close(connection, FALSE);
    GVariant* reply = g_dbus_connection_call_sync(
        connection, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
        "RequestName", g_variant_new("(su)", loginName, 4u /* DO_NOT_QUEUE */),
        G_VARIANT_TYPE("(u)"), G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, &error);
    guint32 result = 0;
    if (reply) {
        g_variant_get(reply, "(u)", &result);
        g_variant_unref(reply);
    }
    g_clear_error(&error);
    if (result != 1 /* PRIMARY_OWNER */) {
        closeConnection(connection);
        return;
    }
    login_ = {connection, &closeConnection};
}

PrivateSystemBus::~PrivateSystemBus() {
    stop();
}

bool PrivateSystemBus::announceSleep(bool goingToSleep) {
    if (!login_) {
        return false;
    }
    GError* error = nullptr;
    bool sent = g_dbus_connection_emit_signal(login_.get(), nullptr, "/org/freedesktop/login1",
                                              "org.freedesktop.login1.Manager", "PrepareForSleep",
                                              g_variant_new("(b)", goingToSleep), &error) &&
                g_dbus_connection_flush_sync(login_.get(), nullptr, &error);
    g_clear_error(&error);
    return sent;
}

void PrivateSystemBus::stop() {
    login_.reset();
    daemon_.signal(SIGTERM);
    daemon_.waitForExit(std::chrono::seconds(5));
    named_.reset();
}

} // namespace trelvo::test
