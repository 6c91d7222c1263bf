#pragma once

#include <string>

namespace platform::notify {

// Why the notification centre could not do what it was asked.
struct UNError {
    enum class Code {
        busUnavailable,    // no session bus to talk to
        serverUnavailable, // nothing answers as org.freedesktop.Notifications
        deliveryFailed,    // the server refused the notification
        invalidTrigger,    // see UNTimeIntervalNotificationTrigger
    };

    Code code;
    std::string reason; // what the bus or the server said, if anything

    std::string localizedDescription() const;
};

} // namespace platform::notify
