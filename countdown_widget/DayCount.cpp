#include "countdown_widget/DayCount.h"

#include <cmath>

using platform::foundation::Calendar;
using platform::foundation::Date;

namespace countdown_widget {

std::int64_t daysUntil(const Calendar& calendar, Date now, Date event) {
    Date today = calendar.startOfDay(now);
    Date eventDay = calendar.startOfDay(event);
    auto difference = calendar.dateComponents({Calendar::Component::day}, today, eventDay);
    if (difference.day) {
        return *difference.day;
    }
    // The calendar answers for every date a clock gives; should it ever not, the nearest whole
    // number of 24-hour days is off by none between two starts of days.
    return static_cast<std::int64_t>(std::llround(eventDay.timeIntervalSince(today) / 86400.0));
}

} // namespace countdown_widget
