#pragma once

#include "countdown_widget/DaysUntilEntry.h"
#include "platform/foundation/Date.h"
#include "platform/widget/Timeline.h"

#include <cstdint>
#include <functional>

namespace countdown_widget {

// The countdown's timeline provider. Placeholder and snapshot show a sample count; a timeline is
// one entry with the real count, computed on the spot from the clock and the user's calendar as
// it is at that request, and a reload one hour later. It keeps no state and never fails.
struct Provider {
    using Entry = DaysUntilEntry;
    using Context = platform::widget::TimelineProviderContext;

    // 2021-06-11 00:00:00 UTC, taken as the local day that holds it.
    static constexpr double eventDateSince1970 = 1623369600.0;
    static constexpr std::int64_t sampleDaysUntil = 10;
    static constexpr std::int64_t reloadHours = 1;

    static platform::foundation::Date eventDate() {
        return platform::foundation::Date::fromTimeIntervalSince1970(eventDateSince1970);
    }

    DaysUntilEntry placeholder(const Context& context) const;
    void getSnapshot(const Context& context, std::function<void(DaysUntilEntry)> completion) const;
    void
    getTimeline(const Context& context,
                std::function<void(platform::widget::Timeline<DaysUntilEntry>)> completion) const;
};

static_assert(platform::widget::TimelineProvider<Provider>);

} // namespace countdown_widget
