#include "countdown_widget/Provider.h"

#include "countdown_widget/DayCount.h"
#include "platform/foundation/Calendar.h"

using platform::foundation::Calendar;
using platform::foundation::Date;
using platform::widget::Timeline;
using platform::widget::TimelineReloadPolicy;

namespace countdown_widget {

DaysUntilEntry Provider::placeholder(const Context&) const {
    return DaysUntilEntry{Date::now(), sampleDaysUntil};
}

void Provider::getSnapshot(const Context&, std::function<void(DaysUntilEntry)> completion) const {
    if (completion) {
        completion(DaysUntilEntry{Date::now(), sampleDaysUntil});
    }
}

void Provider::getTimeline(const Context&,
                           std::function<void(Timeline<DaysUntilEntry>)> completion) const {
    // The calendar is read anew so that a change of the user's zone shows at the next request.
    std::int64_t days = daysUntil(Calendar::current(), Date::now(), eventDate());
    DaysUntilEntry entry{Date::now(), days};
    Date reloadFrom = Date::now();
    Date reloadDate = Calendar::current()
                          .date(Calendar::Component::hour, reloadHours, reloadFrom)
                          .value_or(reloadFrom.addingTimeInterval(reloadHours * 3600.0));
    if (completion) {
        completion(Timeline<DaysUntilEntry>{{entry}, TimelineReloadPolicy::after(reloadDate)});
    }
}

} // namespace countdown_widget
