#pragma once

#include "platform/notify/UNNotificationSound.h"

#include <optional>
#include <string>

namespace platform::notify {

// What a notification shows. The body is plain text: it is shown as written, never as markup.
// Without a sound the notification is silent.
struct UNMutableNotificationContent {
    std::string title;
    std::string body;
    std::optional<UNNotificationSound> sound;

    friend bool operator==(const UNMutableNotificationContent&,
                           const UNMutableNotificationContent&) = default;
};

using UNNotificationContent = UNMutableNotificationContent;

} // namespace platform::notify
