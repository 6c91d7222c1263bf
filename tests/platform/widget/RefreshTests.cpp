#include "platform/widget/TimelineSchedule.h"

#include <gtest/gtest.h>

namespace {

using namespace platform::widget;
using platform::foundation::Date;

const Date t0 = Date::fromTimeIntervalSince1970(1'623'000'000);
Date at(double seconds) {
    return t0.addingTimeInterval(seconds);
}
TimelinePlan reloadAfter(double seconds) {
    return {{t0}, TimelineReloadPolicy::after(at(seconds))};
}

// "Refresh now" asks through the schedule like any reload: at once, with the backoff of an
// unanswered request kept, and with only the newest answer shown.
TEST(Refresh, AsksAtOnceKeepingBackoffAndTheNewestAnswer) {
    TimelineSchedule schedule;
    auto first = *schedule.start(t0).request;
    schedule.receive(first, reloadAfter(900), t0);

    auto refreshed = schedule.refresh(at(10));
    ASSERT_TRUE(refreshed.request);
    EXPECT_EQ(refreshed.wakeAt, at(10 + schedule.retryDelay(0)));

    // Unanswered, asked again: each time the wait before the next retry doubles.
    auto again = schedule.refresh(at(20));
    ASSERT_TRUE(again.request);
    EXPECT_EQ(again.wakeAt, at(20 + schedule.retryDelay(1)));

    // The answer to the later request wins; the earlier one, arriving late, changes nothing.
    schedule.receive(*again.request, reloadAfter(2000), at(30));
    const auto shown = schedule.presentation();
    EXPECT_FALSE(schedule.receive(*refreshed.request, reloadAfter(99), at(31)).accepted);
    EXPECT_EQ(schedule.presentation().timelineGeneration, shown.timelineGeneration);
    EXPECT_FALSE(schedule.outstanding());
}

TEST(Refresh, UnansweredContentGoesStaleWhenItsReloadWouldHaveMadeItSo) {
    TimelineSchedule schedule;
    schedule.receive(*schedule.start(t0).request, reloadAfter(900), t0);
    schedule.refresh(at(60));
    schedule.advance(at(1799));
    EXPECT_FALSE(schedule.presentation().stale);
    schedule.advance(at(1800)); // the reload's own time plus its interval
    EXPECT_TRUE(schedule.presentation().stale);
}

} // namespace
