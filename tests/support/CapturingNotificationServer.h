#pragma once

#include "platform/notify/LoopThread.h"
#include "tests/support/PrivateSessionBus.h"

#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace trelvo::test {

struct NotificationServerOptions {
    bool bodyMarkup = false;       // advertise the "body-markup" capability
    const char* refusal = nullptr; // answer Notify with this error message
};

// org.freedesktop.Notifications on the session bus of the environment, answering on a thread
// of its own and keeping every Notify call it gets.
class CapturingNotificationServer {
public:
    using Options = NotificationServerOptions;
    struct Received {
        std::string appName;
        std::uint32_t replacesId;
        std::string appIcon;
        std::string summary;
        std::string body;
        std::map<std::string, std::string> hints; // values printed as GVariant text
        std::uint32_t id;                         // what the server answered
    };

    explicit CapturingNotificationServer(Options options = {})
        : options_(options) {
        static const GDBusInterfaceVTable vtable{
            .method_call = [](GDBusConnection*, const gchar*, const gchar*, const gchar*,
                              const gchar* method, GVariant* parameters,
                              GDBusMethodInvocation* invocation, gpointer server) {
                static_cast<CapturingNotificationServer*>(server)->handle(invocation, method,
                                                                          parameters);
            }};
        std::string failure;
        loop_.invokeAndWait([&] { // its calls are then dispatched on the loop's thread
            g_autoptr(GError) error = nullptr;
            g_autoptr(GDBusNodeInfo) node = g_dbus_node_info_new_for_xml(
                R"(<node><interface name="org.freedesktop.Notifications">
<method name="GetServerInformation"><arg direction="out" type="s"/><arg direction="out" type="s"/>
<arg direction="out" type="s"/><arg direction="out" type="s"/></method>
<method name="GetCapabilities"><arg direction="out" type="as"/></method>
<method name="Notify"><arg type="s"/><arg type="u"/><arg type="s"/><arg type="s"/><arg type="s"/>
<arg type="as"/><arg type="a{sv}"/><arg type="i"/><arg direction="out" type="u"/></method>
</interface></node>)",
                nullptr);
            connection_ = connectOwning(g_getenv("DBUS_SESSION_BUS_ADDRESS"),
                                        "org.freedesktop.Notifications", &error);
            if (!connection_ || !g_dbus_connection_register_object(
                                    connection_, "/org/freedesktop/Notifications",
                                    node->interfaces[0], &vtable, this, nullptr, &error)) {
                failure = error->message;
            }
        });
        if (!failure.empty()) {
            throw std::runtime_error("test notification server: " + failure);
        }
    }
    ~CapturingNotificationServer() {
        loop_.invokeAndWait([&] {
            g_dbus_connection_close_sync(connection_, nullptr, nullptr);
            g_object_unref(connection_);
        });
    }
    // The n-th notification received (from 0), waiting for it a generous while.
    std::optional<Received> notification(std::size_t index) {
        std::unique_lock guard(lock_);
        return arrived_.wait_for(guard, std::chrono::seconds(20),
                                 [&] { return received_.size() > index; })
                   ? std::optional(received_[index])
                   : std::nullopt;
    }
    std::size_t count() {
        std::lock_guard guard(lock_);
        return received_.size();
    }

private:
    void handle(GDBusMethodInvocation* invocation, std::string_view method, GVariant* parameters) {
        if (method == "GetServerInformation") {
            return g_dbus_method_invocation_return_value(
                invocation, g_variant_new("(ssss)", "capture", "trelvo-tests", "1", "1.2"));
        }
        if (method == "GetCapabilities") {
            const gchar* names[] = {"body", options_.bodyMarkup ? "body-markup" : nullptr, nullptr};
            return g_dbus_method_invocation_return_value(invocation, g_variant_new("(^as)", names));
        }
        if (options_.refusal) {
            return g_dbus_method_invocation_return_dbus_error(
                invocation, "org.freedesktop.Notifications.Error.Refused", options_.refusal);
        }
        const gchar *appName, *icon, *summary, *body, *key;
        guint32 replacesId = 0;
        g_autoptr(GVariantIter) hints = nullptr;
        g_variant_get(parameters, "(&su&s&s&sasa{sv}i)", &appName, &replacesId, &icon, &summary,
                      &body, nullptr, &hints, nullptr);
        Received got{appName, replacesId, icon, summary, body, {}, 0};
        for (GVariant* value; g_variant_iter_next(hints, "{&sv}", &key, &value);) {
            g_autofree gchar* text = g_variant_print(value, FALSE);
            got.hints[key] = text;
            g_variant_unref(value);
        }
        std::lock_guard guard(lock_);
        got.id = got.replacesId ? got.replacesId : received_.size() + 1;
        received_.push_back(got);
        arrived_.notify_all();
        g_dbus_method_invocation_return_value(invocation, g_variant_new("(u)", got.id));
    }

    Options options_;
    GDBusConnection* connection_ = nullptr;
    std::mutex lock_;
    std::condition_variable arrived_;
    std::vector<Received> received_;
    platform::notify::LoopThread loop_{"test-server"};
};

} // namespace trelvo::test
