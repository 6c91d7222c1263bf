#include "tests/support/CapturingNotificationServer.h"

#include <chrono>
#include <stdexcept>

namespace trelvo::test {

namespace {

constexpr const char* introspection = R"(<node>
  <interface name="org.freedesktop.Notifications">
    <method name="GetServerInformation">
      <arg direction="out" type="s"/><arg direction="out" type="s"/>
      <arg direction="out" type="s"/><arg direction="out" type="s"/>
    </method>
    <method name="GetCapabilities"><arg direction="out" type="as"/></method>
    <method name="Notify">
      <arg type="s"/><arg type="u"/><arg type="s"/><arg type="s"/><arg type="s"/>
      <arg type="as"/><arg type="a{sv}"/><arg type="i"/><arg direction="out" type="u"/>
    </method>
  </interface>
</node>)";

void methodCall(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar* method,
                GVariant* parameters, GDBusMethodInvocation* invocation, gpointer server) {
    static_cast<CapturingNotificationServer*>(server)->handle(invocation, method, parameters);
}

const GDBusInterfaceVTable vtable{methodCall, nullptr, nullptr, {}};

} // namespace

CapturingNotificationServer::CapturingNotificationServer(Options options)
    : options_(options) {
    std::string failure;
    loop_.invokeAndWait([&] {
        g_autoptr(GError) error = nullptr;
        auto flags =
            static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                              G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION);
        connection_ = g_dbus_connection_new_for_address_sync(g_getenv("DBUS_SESSION_BUS_ADDRESS"),
                                                             flags, nullptr, nullptr, &error);
        if (!connection_) {
            failure = error->message;
            return;
        }
        g_autoptr(GDBusNodeInfo) node = g_dbus_node_info_new_for_xml(introspection, nullptr);
        registration_ =
            g_dbus_connection_register_object(connection_, "/org/freedesktop/Notifications",
                                              node->interfaces[0], &vtable, this, nullptr, &error);
        g_autoptr(GVariant) owned = g_dbus_connection_call_sync(
            connection_, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
            "RequestName", g_variant_new("(su)", "org.freedesktop.Notifications", 4u),
            G_VARIANT_TYPE("(u)"), G_DBUS_CALL_FLAGS_NONE, -1, nullptr, &error);
        if (!registration_ || !owned) {
            failure = error ? error->message : "not registered";
        }
    });
    if (!failure.empty()) {
        throw std::runtime_error("test notification server: " + failure);
    }
}

CapturingNotificationServer::~CapturingNotificationServer() {
    loop_.invokeAndWait([&] {
        if (connection_) {
            g_dbus_connection_unregister_object(connection_, registration_);
            g_dbus_connection_close_sync(connection_, nullptr, nullptr);
            g_object_unref(connection_);
        }
    });
}

void CapturingNotificationServer::handle(GDBusMethodInvocation* invocation, const char* method,
                                         GVariant* parameters) {
    using std::string_view;
    if (string_view(method) == "GetServerInformation") {
        g_dbus_method_invocation_return_value(
            invocation, g_variant_new("(ssss)", "capture", "trelvo-tests", "1", "1.2"));
    } else if (string_view(method) == "GetCapabilities") {
        const gchar* plain[] = {"body", nullptr};
        const gchar* markup[] = {"body", "body-markup", nullptr};
        g_dbus_method_invocation_return_value(
            invocation, g_variant_new("(^as)", options_.bodyMarkup ? markup : plain));
    } else if (string_view(method) == "Notify") {
        const gchar *appName, *icon, *summary, *body;
        guint32 replacesId = 0;
        g_autoptr(GVariantIter) hints = nullptr;
        g_variant_get(parameters, "(&su&s&s&sasa{sv}i)", &appName, &replacesId, &icon, &summary,
                      &body, nullptr, &hints, nullptr);
        Received got{appName, replacesId, icon, summary, body, {}, 0};
        const gchar* key = nullptr;
        GVariant* value = nullptr;
        while (g_variant_iter_next(hints, "{&sv}", &key, &value)) {
            g_autofree gchar* text = g_variant_print(value, FALSE);
            got.hints[key] = text;
            g_variant_unref(value);
        }
        if (options_.refusal) {
            g_dbus_method_invocation_return_dbus_error(
                invocation, "org.freedesktop.Notifications.Error.Refused", options_.refusal);
            return;
        }
        std::lock_guard guard(lock_);
        got.id = got.replacesId ? got.replacesId : ++lastId_;
        received_.push_back(got);
        arrived_.notify_all();
        g_dbus_method_invocation_return_value(invocation, g_variant_new("(u)", got.id));
    }
}

std::optional<CapturingNotificationServer::Received>
CapturingNotificationServer::notification(std::size_t index) {
    std::unique_lock guard(lock_);
    if (!arrived_.wait_for(guard, std::chrono::seconds(20),
                           [&] { return received_.size() > index; })) {
        return std::nullopt;
    }
    return received_[index];
}

std::size_t CapturingNotificationServer::count() {
    std::lock_guard guard(lock_);
    return received_.size();
}

} // namespace trelvo::test
