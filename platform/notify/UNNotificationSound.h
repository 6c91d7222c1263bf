#pragma once

#include <string>

namespace platform::notify {

// A sound from the desktop's sound theme, played by the notification server.
struct UNNotificationSound {
    std::string name;

    static UNNotificationSound defaultSound() { return {"message-new-instant"}; }

    friend bool operator==(const UNNotificationSound&, const UNNotificationSound&) = default;
};

} // namespace platform::notify
