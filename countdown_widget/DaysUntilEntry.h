#pragma once

#include "platform/foundation/Date.h"

#include <cstdint>

namespace countdown_widget {

// The countdown's timeline entry: from `date` on, the host shows `daysUntil`, the whole calendar
// days from today to the event day (0 on it, negative after it).
struct DaysUntilEntry {
    platform::foundation::Date date;
    std::int64_t daysUntil = 0;
};

} // namespace countdown_widget
