#pragma once

#include "platform/foundation/Expected.h"
#include "platform/notify/GLibPointers.h"
#include "platform/notify/UNError.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace platform::notify {

// One Notify call of the freedesktop notification protocol.
struct Notification {
    std::string appName;
    std::uint32_t replacesId = 0;
    std::string appIcon;
    std::string summary;
    std::string body;
    std::optional<std::string> soundName; // silent without one
    std::string desktopEntry;
};

// A private connection to the session bus and the calls made to org.freedesktop.Notifications
// over it. Replies arrive on the thread-default main context of the thread that made the call;
// a call cancelled through its GCancellable still gets its reply (with the cancellation).
class NotificationBus {
public:
    using Done = std::function<void(std::optional<UNError>)>;
    using Capabilities = foundation::Expected<std::vector<std::string>, UNError>;
    using Shown = foundation::Expected<std::uint32_t, UNError>;

    // Blocks until the bus has answered (or the cancellable is cancelled).
    static foundation::Expected<NotificationBus, UNError> connect(GCancellable* cancellable);

    bool isClosed() const;

    void serverInformation(GCancellable* cancellable, Done done) const;
    void capabilities(GCancellable* cancellable, std::function<void(Capabilities)> done) const;
    void notify(const Notification& notification, GCancellable* cancellable,
                std::function<void(Shown)> done) const;

private:
    explicit NotificationBus(GDBusConnection* connection)
        : connection_(connection) {}

    using Reply = std::function<void(GVariant* reply, GError* error)>;
    void call(const char* method, GVariant* parameters, const GVariantType* replyType,
              GCancellable* cancellable, Reply reply) const;

    GObjectPtr<GDBusConnection> connection_;
};

// The error a failed call means: the server missing, or the server refusing (fallback).
UNError errorFromCall(const GError* error, UNError::Code fallback);

} // namespace platform::notify
