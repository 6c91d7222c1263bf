#include "platform/notify/NotificationBus.h"

#include <memory>

namespace platform::notify {

namespace {

constexpr const char* serviceName = "org.freedesktop.Notifications";
constexpr const char* objectPath = "/org/freedesktop/Notifications";
constexpr const char* interfaceName = "org.freedesktop.Notifications";
// Long enough for a server the bus starts on demand, short of hanging for ever.
constexpr int callTimeoutMilliseconds = 10'000;

bool isMissingServer(const GError* error) {
    return g_error_matches(error, G_DBUS_ERROR, G_DBUS_ERROR_SERVICE_UNKNOWN) ||
           g_error_matches(error, G_DBUS_ERROR, G_DBUS_ERROR_NAME_HAS_NO_OWNER) ||
           g_error_matches(error, G_DBUS_ERROR, G_DBUS_ERROR_SPAWN_SERVICE_NOT_FOUND) ||
           g_error_matches(error, G_DBUS_ERROR, G_DBUS_ERROR_TIMED_OUT) ||
           g_error_matches(error, G_IO_ERROR, G_IO_ERROR_TIMED_OUT) ||
           g_error_matches(error, G_IO_ERROR, G_IO_ERROR_CLOSED);
}

std::string messageOf(const GError* error) {
    if (!error) {
        return {};
    }
    g_autoptr(GError) copy = g_error_copy(error);
    g_dbus_error_strip_remote_error(copy);
    return copy->message;
}

void replied(GObject* source, GAsyncResult* result, gpointer data) {
    std::unique_ptr<std::function<void(GVariant*, GError*)>> reply(
        static_cast<std::function<void(GVariant*, GError*)>*>(data));
    g_autoptr(GError) error = nullptr;
    g_autoptr(GVariant) value =
        g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, &error);
    (*reply)(value, error);
}

GVariant* hintsOf(const Notification& notification) {
    GVariantBuilder hints;
    g_variant_builder_init(&hints, G_VARIANT_TYPE("a{sv}"));
    if (notification.soundName) {
        g_variant_builder_add(&hints, "{sv}", "sound-name",
                              g_variant_new_string(notification.soundName->c_str()));
    } else {
        g_variant_builder_add(&hints, "{sv}", "suppress-sound", g_variant_new_boolean(TRUE));
    }
    if (!notification.desktopEntry.empty()) {
        g_variant_builder_add(&hints, "{sv}", "desktop-entry",
                              g_variant_new_string(notification.desktopEntry.c_str()));
    }
    return g_variant_builder_end(&hints);
}

} // namespace

UNError errorFromCall(const GError* error, UNError::Code fallback) {
    auto code = isMissingServer(error) ? UNError::Code::serverUnavailable : fallback;
    return UNError{code, messageOf(error)};
}

foundation::Expected<NotificationBus, UNError> NotificationBus::connect(GCancellable* cancellable) {
    g_autoptr(GError) error = nullptr;
    g_autofree gchar* address =
        g_dbus_address_get_for_bus_sync(G_BUS_TYPE_SESSION, cancellable, &error);
    if (!address) {
        return foundation::Unexpected{UNError{UNError::Code::busUnavailable, messageOf(error)}};
    }
    // A connection of our own: it follows the address in the environment when it is made, and
    // closing it never ends the process (exit-on-close stays off).
    auto flags = static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                                   G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION);
    auto* connection =
        g_dbus_connection_new_for_address_sync(address, flags, nullptr, cancellable, &error);
    if (!connection) {
        return foundation::Unexpected{UNError{UNError::Code::busUnavailable, messageOf(error)}};
    }
    return NotificationBus(connection);
}

bool NotificationBus::isClosed() const {
    return g_dbus_connection_is_closed(connection_.get());
}

void NotificationBus::call(const char* method, GVariant* parameters, const GVariantType* replyType,
                           GCancellable* cancellable, Reply reply) const {
    auto owned = std::make_unique<Reply>(std::move(reply));
    g_dbus_connection_call(connection_.get(), serviceName, objectPath, interfaceName, method,
                           parameters, replyType, G_DBUS_CALL_FLAGS_NONE, callTimeoutMilliseconds,
                           cancellable, replied, owned.release());
}

void NotificationBus::serverInformation(GCancellable* cancellable, Done done) const {
    call("GetServerInformation", nullptr, G_VARIANT_TYPE("(ssss)"), cancellable,
         [done = std::move(done)](GVariant*, GError* error) {
             done(error ? std::optional(errorFromCall(error, UNError::Code::serverUnavailable))
                        : std::nullopt);
         });
}

void NotificationBus::capabilities(GCancellable* cancellable,
                                   std::function<void(Capabilities)> done) const {
    call("GetCapabilities", nullptr, G_VARIANT_TYPE("(as)"), cancellable,
         [done = std::move(done)](GVariant* reply, GError* error) {
             if (error) {
                 done(foundation::Unexpected{
                     errorFromCall(error, UNError::Code::serverUnavailable)});
                 return;
             }
             std::vector<std::string> names;
             g_autoptr(GVariantIter) iter = nullptr;
             g_variant_get(reply, "(as)", &iter);
             const gchar* name = nullptr;
             while (g_variant_iter_next(iter, "&s", &name)) {
                 names.emplace_back(name);
             }
             done(std::move(names));
         });
}

void NotificationBus::notify(const Notification& notification, GCancellable* cancellable,
                             std::function<void(Shown)> done) const {
    auto* parameters = g_variant_new("(susss@as@a{sv}i)", notification.appName.c_str(),
                                     notification.replacesId, notification.appIcon.c_str(),
                                     notification.summary.c_str(), notification.body.c_str(),
                                     g_variant_new_strv(nullptr, 0), hintsOf(notification), -1);
    call("Notify", parameters, G_VARIANT_TYPE("(u)"), cancellable,
         [done = std::move(done)](GVariant* reply, GError* error) {
             if (error) {
                 done(foundation::Unexpected{errorFromCall(error, UNError::Code::deliveryFailed)});
                 return;
             }
             guint32 id = 0;
             g_variant_get(reply, "(u)", &id);
             done(id);
         });
}

} // namespace platform::notify
