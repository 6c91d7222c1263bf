#include "platform/notify/UNError.h"

namespace platform::notify {

namespace {

std::string withReason(std::string sentence, const std::string& reason) {
    if (!reason.empty()) {
        sentence += ": " + reason;
    }
    return sentence;
}

} // namespace

std::string UNError::localizedDescription() const {
    switch (code) {
    case Code::busUnavailable:
        return withReason("The session bus is not available", reason);
    case Code::serverUnavailable:
        return withReason("No notification server answered on the session bus", reason);
    case Code::deliveryFailed:
        return withReason("The notification server did not show the notification", reason);
    case Code::invalidTrigger:
        return "The trigger's time interval must be more than 0 seconds, and at least 60 "
               "seconds when it repeats";
    }
    return withReason("The notification could not be scheduled", reason);
}

} // namespace platform::notify
