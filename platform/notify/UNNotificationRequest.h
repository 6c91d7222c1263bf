#pragma once

#include "platform/notify/UNMutableNotificationContent.h"
#include "platform/notify/UNTimeIntervalNotificationTrigger.h"

#include <optional>
#include <string>

namespace platform::notify {

// A notification to show when its trigger fires (at once without one). A later request with
// the same identifier replaces a pending one, and the notification it shows replaces the
// earlier one's on screen.
struct UNNotificationRequest {
    UNNotificationRequest(std::string identifier, UNNotificationContent content,
                          std::optional<UNTimeIntervalNotificationTrigger> trigger)
        : identifier(std::move(identifier))
        , content(std::move(content))
        , trigger(std::move(trigger)) {}

    std::string identifier;
    UNNotificationContent content;
    std::optional<UNTimeIntervalNotificationTrigger> trigger;

    friend bool operator==(const UNNotificationRequest&, const UNNotificationRequest&) = default;
};

} // namespace platform::notify
