#pragma once

#include "platform/foundation/Calendar.h"
#include "platform/foundation/Date.h"

#include <cstdint>

namespace countdown_widget {

// Whole calendar days from the local day holding `now` to the local day holding `event`, in the
// calendar's zone: 1 on the eve, 0 on the day, negative after it. Counted in local dates, so a
// day of 23 or 25 hours, or one that begins after a skipped midnight, is still one day.
std::int64_t daysUntil(const platform::foundation::Calendar& calendar,
                       platform::foundation::Date now, platform::foundation::Date event);

} // namespace countdown_widget
