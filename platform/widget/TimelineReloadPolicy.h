#pragma once

#include "platform/foundation/Date.h"

namespace platform::widget {

// When the host asks the provider for its next timeline.
struct TimelineReloadPolicy {
    enum class Kind { atEnd, after, never };

    Kind kind = Kind::atEnd;
    foundation::Date date; // meaningful for `after` only

    // Ask again once `date` has passed.
    static constexpr TimelineReloadPolicy after(foundation::Date date) {
        return {Kind::after, date};
    }
    // Ask again once the last entry's date has passed.
    static constexpr TimelineReloadPolicy atEnd() { return {Kind::atEnd, {}}; }
    static constexpr TimelineReloadPolicy never() { return {Kind::never, {}}; }

    friend constexpr bool operator==(const TimelineReloadPolicy&,
                                     const TimelineReloadPolicy&) = default;
};

} // namespace platform::widget
