#include "platform/notify/UNTimeIntervalNotificationTrigger.h"

#include <cmath>

namespace platform::notify {

namespace {
constexpr double shortestRepeat = 60;
} // namespace

bool UNTimeIntervalNotificationTrigger::isValid() const {
    return std::isfinite(timeInterval_) && timeInterval_ > 0 &&
           (!repeats_ || timeInterval_ >= shortestRepeat);
}

} // namespace platform::notify
