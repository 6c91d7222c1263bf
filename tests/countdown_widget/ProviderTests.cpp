#include "countdown_widget/Provider.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/TimeZone.h"
#include "tests/countdown_widget/CountdownTestSupport.h"

#include <gtest/gtest.h>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace {

using namespace countdown_widget;
using countdown_test::LocalTime;
using platform::foundation::Date;
using platform::foundation::ScopedClock;
using platform::foundation::ScopedTimeZone;
using platform::widget::Timeline;
using platform::widget::TimelineProviderContext;
using platform::widget::TimelineReloadPolicy;
using platform::widget::WidgetFamily;

const TimelineProviderContext context =
    TimelineProviderContext::forFamily(WidgetFamily::systemSmall);

// Asks for one timeline and checks the answer came once, before getTimeline returned.
Timeline<DaysUntilEntry> requestTimeline() {
    std::vector<Timeline<DaysUntilEntry>> answers;
    Provider().getTimeline(context, [&](Timeline<DaysUntilEntry> t) { answers.push_back(t); });
    EXPECT_EQ(answers.size(), 1u);
    return answers.empty() ? Timeline<DaysUntilEntry>{} : answers.front();
}

struct CountCase {
    std::string name;
    std::string zone;
    LocalTime now;
    std::int64_t daysUntil;
};

void PrintTo(const CountCase& c, std::ostream* out) {
    *out << c.name;
}

class TimelineCount : public testing::TestWithParam<CountCase> {};

TEST_P(TimelineCount, OneEntryDatedNowWithTheLocalDayCountAndAReloadAnHourOn) {
    const auto& c = GetParam();
    ScopedTimeZone zone(c.zone);
    ScopedClock clock(c.now.instant());

    auto timeline = requestTimeline();

    ASSERT_EQ(timeline.entries.size(), 1u);
    EXPECT_EQ(timeline.entries[0].daysUntil, c.daysUntil);
    EXPECT_EQ(timeline.entries[0].date, c.now.instant());
    EXPECT_EQ(timeline.policy,
              TimelineReloadPolicy::after(c.now.instant().addingTimeInterval(3600)));
}

// The event instant is 2021-06-11 00:00 UTC: that local day at UTC and east of it, 10 June west.
INSTANTIATE_TEST_SUITE_P(
    Zones, TimelineCount,
    testing::Values(
        CountCase{"MoscowEveAtMidnight", "Europe/Moscow", {2021, 6, 10, 0, 0, 3}, 1},
        CountCase{"MoscowEveLate", "Europe/Moscow", {2021, 6, 10, 23, 59, 3}, 1},
        CountCase{"MoscowEventDay", "Europe/Moscow", {2021, 6, 11, 0, 0, 3}, 0},
        CountCase{"MoscowEventDayLate", "Europe/Moscow", {2021, 6, 11, 23, 59, 3}, 0},
        CountCase{"MoscowDayAfter", "Europe/Moscow", {2021, 6, 12, 12, 0, 3}, -1},
        CountCase{"MoscowYearAfter", "Europe/Moscow", {2022, 6, 11, 9, 0, 3}, -365},
        // In UTC-5 the event instant is 19:00 on 10 June.
        CountCase{"UtcMinus5EventDay", "Etc/GMT+5", {2021, 6, 10, 8, 0, -5}, 0},
        CountCase{"UtcMinus5Eve", "Etc/GMT+5", {2021, 6, 9, 23, 0, -5}, 1},
        CountCase{"ChicagoSummerEventDay", "America/Chicago", {2021, 6, 10, 20, 0, -5}, 0},
        CountCase{"ChicagoDayAfter", "America/Chicago", {2021, 6, 11, 0, 30, -5}, -1},
        CountCase{"UtcFirstOfJuneLate", "UTC", {2021, 6, 1, 23, 59, 0}, 10},
        CountCase{"UtcFirstOfJuneMidnight", "UTC", {2021, 6, 1, 0, 0, 0}, 10},
        CountCase{"KiritimatiPlus14", "Pacific/Kiritimati", {2021, 6, 11, 1, 0, 14}, 0},
        CountCase{"PagoPagoMinus11", "Pacific/Pago_Pago", {2021, 6, 10, 1, 0, -11}, 0},
        // Daylight saving starts or ends between today and the event day.
        CountCase{"BerlinBeforeSpringForward", "Europe/Berlin", {2021, 3, 20, 12, 0, 1}, 83},
        CountCase{"NewYorkBeforeSpringForward", "America/New_York", {2021, 3, 1, 9, 0, -5}, 101},
        CountCase{"BerlinAfterFallBack", "Europe/Berlin", {2021, 11, 1, 0, 0, 1}, -143},
        CountCase{
            "SydneyBeforeDaylightSavingEnds", "Australia/Sydney", {2021, 4, 1, 12, 0, 11}, 71},
        // 2018-11-04 began at 01:00 in Sao Paulo: its midnight was skipped.
        CountCase{
            "SaoPauloEveOfASkippedMidnight", "America/Sao_Paulo", {2018, 11, 3, 12, 0, -3}, 950},
        CountCase{"SaoPauloDayWithoutMidnight", "America/Sao_Paulo", {2018, 11, 4, 12, 0, -2}, 949},
        CountCase{"SaoPauloAtItsFirstInstant", "America/Sao_Paulo", {2018, 11, 4, 1, 0, -2}, 949}),
    [](const auto& info) { return info.param.name; });

TEST(CountdownProvider, ATimelineMadeLateInTheEveningKeepsThatDaysCountAndReloadsAfterMidnight) {
    ScopedTimeZone zone("Europe/Moscow");
    ScopedClock clock(LocalTime{2021, 6, 9, 23, 30, 3}.instant());

    auto timeline = requestTimeline();

    ASSERT_EQ(timeline.entries.size(), 1u);
    EXPECT_EQ(timeline.entries[0].daysUntil, 2);
    EXPECT_EQ(timeline.policy.kind, TimelineReloadPolicy::Kind::after);
    EXPECT_EQ(timeline.policy.date, (LocalTime{2021, 6, 10, 0, 30, 3}.instant()));
}

TEST(CountdownProvider, TheReloadIsAnElapsedHourAcrossTheSpringForwardGap) {
    ScopedTimeZone zone("Europe/Berlin");
    ScopedClock clock(LocalTime{2021, 3, 28, 1, 30, 1}.instant());

    auto timeline = requestTimeline();

    EXPECT_EQ(timeline.policy.date, (LocalTime{2021, 3, 28, 3, 30, 2}.instant()));
}

TEST(CountdownProvider, ATimeZoneChangedBetweenRequestsIsSeenByTheNext) {
    // 20:00 UTC on 10 June: 23:00 that day in Moscow, 15:00 in Chicago.
    ScopedClock clock(LocalTime{2021, 6, 10, 20, 0, 0}.instant());
    ScopedTimeZone moscow("Europe/Moscow");
    auto first = requestTimeline();
    std::optional<ScopedTimeZone> chicago;
    chicago.emplace("America/Chicago");
    auto second = requestTimeline();
    chicago.reset();
    auto third = requestTimeline();

    ASSERT_EQ(first.entries.size(), 1u);
    ASSERT_EQ(second.entries.size(), 1u);
    ASSERT_EQ(third.entries.size(), 1u);
    EXPECT_EQ(first.entries[0].daysUntil, 1);
    EXPECT_EQ(second.entries[0].daysUntil, 0);
    EXPECT_EQ(third.entries[0].daysUntil, 1);
}

TEST(CountdownProvider, EachRequestReadsTheClockAnew) {
    ScopedTimeZone zone("UTC");
    ScopedClock clock(LocalTime{2021, 6, 1, 8, 0}.instant());
    auto first = requestTimeline();
    clock.advance(3 * 86400 + 3600);
    auto later = requestTimeline();

    ASSERT_EQ(later.entries.size(), 1u);
    EXPECT_EQ(first.entries[0].daysUntil, 10);
    EXPECT_EQ(later.entries[0].daysUntil, 7);
    EXPECT_EQ(later.entries[0].date, (LocalTime{2021, 6, 4, 9, 0}.instant()));
}

class SampleEntry : public testing::TestWithParam<LocalTime> {};

TEST_P(SampleEntry, PlaceholderAndSnapshotCarryTenDatedNow) {
    ScopedTimeZone zone("Europe/Moscow");
    ScopedClock clock(GetParam().instant());

    auto placeholder = Provider().placeholder(context);
    std::vector<DaysUntilEntry> snapshots;
    Provider().getSnapshot(context, [&](DaysUntilEntry e) { snapshots.push_back(e); });

    EXPECT_EQ(placeholder.daysUntil, 10);
    EXPECT_EQ(placeholder.date, GetParam().instant());
    ASSERT_EQ(snapshots.size(), 1u);
    EXPECT_EQ(snapshots[0].daysUntil, 10);
    EXPECT_EQ(snapshots[0].date, GetParam().instant());
}

INSTANTIATE_TEST_SUITE_P(BeforeOnAndAfterTheEvent, SampleEntry,
                         testing::Values(LocalTime{2001, 1, 1}, LocalTime{2021, 6, 1, 12},
                                         LocalTime{2021, 6, 11, 3}, LocalTime{2021, 6, 12},
                                         LocalTime{2035, 12, 31, 23, 59}));

} // namespace
