#include "platform/widget/TimelineSchedule.h"

#include <gtest/gtest.h>
#include <ostream>
#include <vector>

namespace {

using namespace platform::widget;
using platform::foundation::Date;

constexpr double minute = 60;
constexpr double hour = 60 * minute;
constexpr double day = 24 * hour;

const Date t0 = Date::fromTimeIntervalSince1970(1'623'000'000);

Date at(double seconds) {
    return t0.addingTimeInterval(seconds);
}

TimelinePlan plan(std::vector<double> entryOffsets, TimelineReloadPolicy policy) {
    TimelinePlan result{{}, policy};
    for (double offset : entryOffsets) {
        result.entryDates.push_back(at(offset));
    }
    return result;
}

TimelinePlan answerAfter(double reloadOffset, double entryOffset = 0) {
    return plan({entryOffset}, TimelineReloadPolicy::after(at(reloadOffset)));
}

TEST(TimelineSchedule, ShowsThePlaceholderAndAsksAtOnce) {
    TimelineSchedule schedule;
    auto step = schedule.start(t0);

    EXPECT_EQ(step.request, RequestId{1});
    EXPECT_EQ(schedule.presentation().entry, std::nullopt);
    EXPECT_EQ(schedule.presentation().timelineGeneration, 0u);
    EXPECT_EQ(schedule.presentation().lastUpdated, std::nullopt);
    EXPECT_FALSE(schedule.presentation().stale);
    EXPECT_EQ(step.wakeAt, at(1 * minute)); // the first retry
}

struct DueCase {
    double now;
    std::optional<std::size_t> shown;
};

void PrintTo(const DueCase& c, std::ostream* out) {
    *out << "at +" << c.now << "s";
}

class EntryFromItsDate : public testing::TestWithParam<DueCase> {};

TEST_P(EntryFromItsDate, ShowsTheLatestEntryAlreadyDue) {
    TimelineSchedule schedule;
    auto sent = schedule.start(t0).request;
    schedule.receive(*sent, plan({10, 20, 30}, TimelineReloadPolicy::never()), t0);

    schedule.advance(at(GetParam().now));
    EXPECT_EQ(schedule.presentation().entry, GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(Dates, EntryFromItsDate,
                         testing::Values(DueCase{0, std::nullopt}, DueCase{9.999, std::nullopt},
                                         DueCase{10, 0}, DueCase{19.5, 0}, DueCase{20, 1},
                                         DueCase{30, 2}, DueCase{day, 2}));

TEST(TimelineSchedule, WakesForEachEntryDate) {
    TimelineSchedule schedule;
    auto sent = schedule.start(t0).request;
    auto step = schedule.receive(*sent, plan({0, 10, 20}, TimelineReloadPolicy::never()), t0);
    EXPECT_EQ(step.wakeAt, at(10));
    EXPECT_EQ(schedule.advance(at(10)).wakeAt, at(20));
    EXPECT_EQ(schedule.advance(at(20)).wakeAt, std::nullopt); // nothing left to do: sleep
}

TEST(TimelineSchedule, EntriesOutOfOrderAreShownByDate) {
    TimelineSchedule schedule;
    auto sent = schedule.start(t0).request;
    schedule.receive(*sent, plan({20, 0, 10}, TimelineReloadPolicy::never()), t0);
    EXPECT_EQ(schedule.presentation().entry, 1u);
    schedule.advance(at(15));
    EXPECT_EQ(schedule.presentation().entry, 2u);
}

TEST(TimelineSchedule, KeepsTheShownEntryUntilTheNextTimelinesFirstIsDue) {
    TimelineSchedule schedule;
    auto first = schedule.start(t0).request;
    schedule.receive(*first, answerAfter(15 * minute), t0);
    auto second = schedule.advance(at(15 * minute)).request;
    ASSERT_TRUE(second);

    schedule.receive(*second, answerAfter(hour, 20 * minute), at(15 * minute));
    EXPECT_EQ(schedule.presentation().entry, std::nullopt); // the old entry stays on screen
    EXPECT_EQ(schedule.presentation().timelineGeneration, 2u);
    schedule.advance(at(20 * minute));
    EXPECT_EQ(schedule.presentation().entry, 0u);
}

TEST(TimelineSchedule, AsksAgainOnceTheAfterDateHasPassed) {
    TimelineSchedule schedule;
    auto sent = schedule.start(t0).request;
    auto step = schedule.receive(*sent, answerAfter(15 * minute), t0);
    EXPECT_TRUE(step.accepted);
    EXPECT_EQ(step.request, std::nullopt);
    EXPECT_EQ(step.wakeAt, at(15 * minute));

    EXPECT_EQ(schedule.advance(at(15 * minute - 0.001)).request, std::nullopt);
    EXPECT_EQ(schedule.advance(at(15 * minute)).request, RequestId{2});
}

struct PolicyCase {
    const char* name;
    TimelinePlan timeline;
    std::optional<double> reloadAt;
};

void PrintTo(const PolicyCase& c, std::ostream* out) {
    *out << c.name;
}

class ReloadPolicies : public testing::TestWithParam<PolicyCase> {};

TEST_P(ReloadPolicies, ReloadDate) {
    TimelineSchedule schedule;
    auto sent = schedule.start(t0).request;
    schedule.receive(*sent, GetParam().timeline, t0);

    std::optional<Date> requestedAt;
    for (double now = 0; now <= 3 * hour && !requestedAt; now += 1) {
        if (schedule.advance(at(now)).request) {
            requestedAt = at(now);
        }
    }
    if (GetParam().reloadAt) {
        EXPECT_EQ(requestedAt, at(*GetParam().reloadAt));
    } else {
        EXPECT_EQ(requestedAt, std::nullopt);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Policies, ReloadPolicies,
    testing::Values(
        PolicyCase{"after", answerAfter(hour), hour},
        PolicyCase{"atEndIsTheLastEntry", plan({0, 2 * hour, hour}, TimelineReloadPolicy::atEnd()),
                   2 * hour},
        PolicyCase{"neverAsks", plan({0}, TimelineReloadPolicy::never()), std::nullopt},
        // A provider cannot spin the host: a reload date in the past waits the minimum interval.
        PolicyCase{"afterInThePast", answerAfter(-hour), minute},
        PolicyCase{"emptyAtEnd", plan({}, TimelineReloadPolicy::atEnd()), minute}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TimelineSchedule, UnansweredRequestsBackOffUpToFifteenMinutes) {
    TimelineSchedule schedule;
    auto step = schedule.start(t0);
    Date sentAt = t0;
    std::vector<double> gaps;
    while (gaps.size() < 7) {
        ASSERT_TRUE(step.wakeAt);
        Date now = *step.wakeAt;
        step = schedule.advance(now);
        if (step.request) {
            gaps.push_back(now.timeIntervalSince(sentAt) / minute);
            sentAt = now;
        }
    }
    EXPECT_EQ(gaps, (std::vector<double>{1, 2, 4, 8, 15, 15, 15}));
}

TEST(TimelineSchedule, NeverHasMoreThanOneRequestOutstanding) {
    TimelineSchedule schedule;
    schedule.start(t0);
    for (double now = 0; now < 59; now += 0.5) {
        EXPECT_EQ(schedule.advance(at(now)).request, std::nullopt) << now;
    }
    EXPECT_EQ(schedule.advance(at(minute)).request, RequestId{2});
    EXPECT_EQ(schedule.outstanding(), RequestId{2}); // the retry supersedes the first
}

TEST(TimelineSchedule, AnAnswerResetsTheBackoff) {
    TimelineSchedule schedule;
    schedule.start(t0);
    schedule.advance(at(1 * minute));
    auto third = schedule.advance(at(3 * minute)).request;
    ASSERT_EQ(third, RequestId{3});
    schedule.receive(*third, answerAfter(10 * minute, 3 * minute), at(3 * minute));

    auto reload = schedule.advance(at(10 * minute));
    ASSERT_TRUE(reload.request);
    EXPECT_EQ(reload.wakeAt, at(11 * minute)); // one minute again, not eight
}

TEST(TimelineSchedule, LateAnswerToASupersededRequestNeverReplacesANewerTimeline) {
    TimelineSchedule schedule;
    auto first = schedule.start(t0).request;
    auto retry = schedule.advance(at(minute)).request;
    ASSERT_TRUE(first && retry);

    EXPECT_TRUE(schedule.receive(*retry, answerAfter(hour, minute), at(minute)).accepted);
    auto late = schedule.receive(*first, answerAfter(hour, 0), at(2 * minute));

    EXPECT_FALSE(late.accepted);
    EXPECT_EQ(schedule.presentation().timelineGeneration, 1u);
    EXPECT_EQ(schedule.presentation().lastUpdated, at(minute));
}

TEST(TimelineSchedule, ALateAnswerIsTakenWhileNothingNewerHasArrived) {
    // A slow provider must still get through: its answer is newer than what is shown.
    TimelineSchedule schedule;
    auto first = schedule.start(t0).request;
    auto retry = schedule.advance(at(minute)).request;

    EXPECT_TRUE(schedule.receive(*first, answerAfter(hour), at(90)).accepted);
    EXPECT_EQ(schedule.outstanding(), std::nullopt);
    EXPECT_TRUE(schedule.receive(*retry, answerAfter(hour), at(100)).accepted);
    EXPECT_EQ(schedule.presentation().timelineGeneration, 2u);
}

TEST(TimelineSchedule, IgnoresAnAnswerDeliveredTwiceAndOneNeverAskedFor) {
    TimelineSchedule schedule;
    auto sent = schedule.start(t0).request;
    EXPECT_TRUE(schedule.receive(*sent, answerAfter(hour), t0).accepted);
    EXPECT_FALSE(schedule.receive(*sent, answerAfter(2 * hour), at(1)).accepted);
    EXPECT_FALSE(schedule.receive(*sent + 1, answerAfter(2 * hour), at(1)).accepted);

    EXPECT_EQ(schedule.presentation().timelineGeneration, 1u);
    EXPECT_EQ(schedule.advance(at(hour)).request, *sent + 1); // the first answer's reload holds
}

struct JumpCase {
    const char* name;
    double jump;
    bool asksAtOnce;
    std::optional<std::size_t> shown;
};

void PrintTo(const JumpCase& c, std::ostream* out) {
    *out << c.name;
}

class ClockJumps : public testing::TestWithParam<JumpCase> {};

TEST_P(ClockJumps, ReplanFromTheNewTime) {
    TimelineSchedule schedule;
    auto sent = schedule.start(t0).request;
    schedule.receive(*sent, plan({0, 30 * minute}, TimelineReloadPolicy::after(at(hour))), t0);

    auto step = schedule.clockChanged(at(GetParam().jump));
    EXPECT_EQ(step.request.has_value(), GetParam().asksAtOnce);
    EXPECT_EQ(schedule.presentation().entry, GetParam().shown);
    ASSERT_TRUE(step.wakeAt);
    EXPECT_GT(*step.wakeAt, at(GetParam().jump));
}

INSTANTIATE_TEST_SUITE_P(
    Jumps, ClockJumps,
    testing::Values(JumpCase{"forwardADay", day, true, 1},
                    JumpCase{"forwardAMinute", minute, false, 0},
                    // Going back, what is shown stays; the timeline was made against a clock
                    // that no longer holds, so the host asks again.
                    JumpCase{"backADay", -day, true, 0}, JumpCase{"backAMinute", -minute, true, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TimelineSchedule, BackwardJumpWhileWaitingRestartsTheRetry) {
    TimelineSchedule schedule;
    schedule.start(t0);
    auto step = schedule.clockChanged(at(-day));
    EXPECT_EQ(step.request, RequestId{2});
    EXPECT_EQ(step.wakeAt, at(-day + minute)); // not a day and a minute away
}

TEST(TimelineSchedule, FlagsStaleOnceTheReloadIsOverdueByAnIntervalAndClearsOnAnswer) {
    TimelineSchedule schedule;
    auto sent = schedule.start(t0).request;
    schedule.receive(*sent, answerAfter(15 * minute), t0);

    Date now = t0;
    auto step = schedule.advance(now);
    while (step.wakeAt && *step.wakeAt < at(30 * minute)) {
        now = *step.wakeAt;
        step = schedule.advance(now);
        EXPECT_FALSE(schedule.presentation().stale) << now.timeIntervalSince(t0);
    }
    EXPECT_EQ(step.wakeAt, at(30 * minute));
    step = schedule.advance(at(30 * minute));
    EXPECT_TRUE(schedule.presentation().stale);
    EXPECT_EQ(schedule.presentation().lastUpdated, t0);

    auto pending = schedule.outstanding();
    ASSERT_TRUE(pending);
    schedule.receive(*pending, answerAfter(50 * minute, 35 * minute), at(35 * minute));
    EXPECT_FALSE(schedule.presentation().stale);
    EXPECT_EQ(schedule.presentation().lastUpdated, at(35 * minute));
}

TEST(TimelineSchedule, NeverStaleWithoutReloads) {
    TimelineSchedule still;
    auto sent = still.start(t0).request;
    still.receive(*sent, plan({0}, TimelineReloadPolicy::never()), t0);
    still.advance(at(day));
    EXPECT_FALSE(still.presentation().stale);
}

TEST(TimelineSchedule, ResumeAfterALongSuspendAsksBeforeFlaggingStale) {
    TimelineSchedule schedule;
    auto sent = schedule.start(t0).request;
    schedule.receive(*sent, answerAfter(hour), t0);

    auto step = schedule.advance(at(8 * hour));
    EXPECT_TRUE(step.request);
    EXPECT_FALSE(schedule.presentation().stale); // the provider gets an interval to answer
    schedule.advance(at(9 * hour));
    EXPECT_TRUE(schedule.presentation().stale);
}

} // namespace
