#include "platform/widget/TimelineSchedule.h"

#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace platform::widget;
using platform::foundation::Date;

constexpr double hour = 3600, day = 24 * hour;
const Date t0 = Date::fromTimeIntervalSince1970(1'623'000'000);
const auto at = [](double seconds) { return t0.addingTimeInterval(seconds); };
const auto after = [](double seconds) { return TimelineReloadPolicy::after(at(seconds)); };
const auto atEnd = TimelineReloadPolicy::atEnd();
const auto never = TimelineReloadPolicy::never();

// Something that happens to the schedule at t0 + `at` seconds; "refresh" is the person asking.
struct Event {
    enum Kind { start, tick, clockSet, refresh, answer } kind;
    double at = 0;
    RequestId id = 0; // answer: the request it answers
    std::vector<double> entries = {};
    TimelineReloadPolicy policy = never;
};
const auto tick = [](double when) { return Event{Event::tick, when}; };
const auto clockSet = [](double when) { return Event{Event::clockSet, when}; };
const auto refresh = [](double when) { return Event{Event::refresh, when}; };
Event answer(RequestId id, double when, std::vector<double> entries, TimelineReloadPolicy policy) {
    return {Event::answer, when, id, std::move(entries), policy};
}

// What the host does after an event, as one line: "took" or "dropped" for an answer, "ask N"
// for a request to send, "show G.E" for entry E of the G-th timeline taken ("-": none due yet,
// the placeholder drawn redacted; "=": none due, the last entry stays), "stale since T" with its
// last update ("unreachable" when nothing ever came), then "wake T" or "sleep".
std::string replay(TimelineSchedule& schedule, const Event& e) {
    using Call = TimelineSchedule::Step (TimelineSchedule::*)(Date);
    const Call calls[] = {&TimelineSchedule::start, &TimelineSchedule::advance,
                          &TimelineSchedule::clockChanged, &TimelineSchedule::refresh};
    TimelineSchedule::Step step;
    std::ostringstream line;
    if (e.kind == Event::answer) {
        TimelinePlan plan{{}, e.policy};
        for (double entry : e.entries) {
            plan.entryDates.push_back(at(entry));
        }
        step = schedule.receive(e.id, plan, at(e.at));
        line << (step.accepted ? "took " : "dropped ");
    } else {
        step = (schedule.*calls[e.kind])(at(e.at));
    }
    const auto& shown = schedule.presentation();
    line << (step.request ? "ask " + std::to_string(*step.request) + " " : "") << "show "
         << shown.timelineGeneration << '.';
    shown.entry ? line << *shown.entry : line << (shown.placeholder ? '-' : '=');
    line << (shown.placeholder && shown.entry ? " redacted" : ""); // never right
    if (shown.stale && shown.lastUpdated) {
        line << " stale since " << shown.lastUpdated->timeIntervalSince(t0);
    } else if (shown.stale) {
        line << " unreachable"; // never answered: the placeholder, marked
    }
    step.wakeAt ? line << " wake " << step.wakeAt->timeIntervalSince(t0) : line << " sleep";
    return line.str();
}

TEST(TimelineSchedule, EventSequences) {
    struct Case {
        const char* name;
        std::vector<Event> events;
        std::vector<std::string> lines;
    } cases[] = {
        {"unanswered requests back off from one minute to fifteen, one at a time",
         {tick(30), tick(60), tick(180), tick(420), tick(900), tick(1800), tick(day)},
         {"show 0.- wake 60", "ask 2 show 0.- unreachable wake 180",
          "ask 3 show 0.- unreachable wake 420", "ask 4 show 0.- unreachable wake 900",
          "ask 5 show 0.- unreachable wake 1800", "ask 6 show 0.- unreachable wake 2700",
          "ask 7 show 0.- unreachable wake 87300"}},
        {"entries show from their dates, in date order, then nothing is left to wake for",
         {answer(1, 0, {20, 5, 10}, never), tick(4.999), tick(5), tick(10), tick(20), tick(day)},
         {"took show 1.- wake 5", "show 1.- wake 5", "show 1.1 wake 10", "show 1.2 wake 20",
          "show 1.0 sleep", "show 1.0 sleep"}},
        {"asks again once the after date has passed, not before",
         {answer(1, 0, {0}, after(900)), tick(899.999), tick(900)},
         {"took show 1.0 wake 900", "show 1.0 wake 900", "ask 2 show 1.0 wake 960"}},
        {"at end means after the last entry's date",
         {answer(1, 0, {0, 2 * hour, hour}, atEnd), tick(hour), tick(2 * hour)},
         {"took show 1.0 wake 3600", "show 1.2 wake 7200", "ask 2 show 1.1 wake 7260"}},
        {"an after date in the past waits the minimum interval",
         {answer(1, 0, {0}, after(-hour)), tick(60)},
         {"took show 1.0 wake 60", "ask 2 show 1.0 wake 120"}},
        {"an empty timeline asks again after the minimum interval",
         {answer(1, 0, {}, atEnd), tick(60)},
         {"took show 1.- wake 60", "ask 2 show 1.- wake 120"}},
        {"the next timeline's entry waits for its date; the old one stays meanwhile",
         {answer(1, 0, {0}, after(900)), tick(900), answer(2, 900, {1200}, after(hour)),
          tick(1200)},
         {"took show 1.0 wake 900", "ask 2 show 1.0 wake 960", "took show 2.= wake 1200",
          "show 2.0 wake 3600"}},
        {"an answer resets the backoff",
         {tick(60), tick(180), answer(3, 180, {180}, after(600)), tick(600)},
         {"ask 2 show 0.- unreachable wake 180", "ask 3 show 0.- unreachable wake 420",
          "took show 1.0 wake 600", "ask 4 show 1.0 wake 660"}},
        {"a late answer to a superseded request never replaces a newer timeline",
         {tick(60), answer(2, 60, {60}, after(hour)), answer(1, 120, {0}, after(hour))},
         {"ask 2 show 0.- unreachable wake 180", "took show 1.0 wake 3600",
          "dropped show 1.0 wake 3600"}},
        {"a slow answer is taken while nothing newer has come",
         {tick(60), answer(1, 90, {0}, after(hour)), answer(2, 100, {0}, after(hour))},
         {"ask 2 show 0.- unreachable wake 180", "took show 1.0 wake 3600",
          "took show 2.0 wake 3600"}},
        {"an answer delivered twice, or to a request never sent, is dropped",
         {answer(1, 0, {0}, after(hour)), answer(1, 1, {0}, after(2 * hour)),
          answer(2, 1, {0}, after(2 * hour)), tick(hour)},
         {"took show 1.0 wake 3600", "dropped show 1.0 wake 3600", "dropped show 1.0 wake 3600",
          "ask 2 show 1.0 wake 3660"}},
        {"the clock set a day on shows the due entry and asks",
         {answer(1, 0, {0, 1800}, after(hour)), clockSet(day)},
         {"took show 1.0 wake 1800", "ask 2 show 1.1 wake 86460"}},
        // The timeline was laid out against a clock that no longer holds: ask again.
        {"the clock set a day back keeps what is shown and asks",
         {answer(1, 0, {0, 1800}, after(hour)), clockSet(-day)},
         {"took show 1.0 wake 1800", "ask 2 show 1.0 wake -86340"}},
        {"the clock set back while waiting restarts the retry from the new time",
         {clockSet(-day)},
         {"ask 2 show 0.- wake -86340"}},
        {"stale once the reload is overdue by its interval; the next answer clears it",
         {answer(1, 0, {0}, after(900)), tick(900), tick(960), tick(1080), tick(1320), tick(1800),
          answer(6, 2100, {2100}, after(3000))},
         {"took show 1.0 wake 900", "ask 2 show 1.0 wake 960", "ask 3 show 1.0 wake 1080",
          "ask 4 show 1.0 wake 1320", "ask 5 show 1.0 wake 1800",
          "ask 6 show 1.0 stale since 0 wake 2700", "took show 2.0 wake 3000"}},
        {"waking from a long suspend asks first, and is stale only an interval later",
         {answer(1, 0, {0}, after(hour)), tick(8 * hour), tick(9 * hour)},
         {"took show 1.0 wake 3600", "ask 2 show 1.0 wake 28860",
          "ask 3 show 1.0 stale since 0 wake 32520"}},
        // Refreshing asks as a due reload would, so asking often cannot flood the service.
        {"a refresh asks at once; unanswered, the wait before the next retry doubles",
         {answer(1, 0, {0}, after(900)), refresh(10), refresh(20), answer(3, 30, {0}, after(2000)),
          answer(2, 31, {0}, after(99))},
         {"took show 1.0 wake 900", "ask 2 show 1.0 wake 70", "ask 3 show 1.0 wake 140",
          "took show 2.0 wake 2000", "dropped show 2.0 wake 2000"}},
        {"refreshed content goes stale when its reload would have made it so",
         {answer(1, 0, {0}, after(900)), refresh(60), tick(1799), tick(1800)},
         {"took show 1.0 wake 900", "ask 2 show 1.0 wake 120", "ask 3 show 1.0 wake 1800",
          "show 1.0 stale since 0 wake 1919"}},
        {"a refresh of a timeline that never reloads asks too",
         {answer(1, 0, {0}, never), refresh(5)},
         {"took show 1.0 sleep", "ask 2 show 1.0 wake 65"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TimelineSchedule schedule;
        EXPECT_EQ(schedule.outstanding(), std::nullopt);
        EXPECT_EQ(replay(schedule, {Event::start}), "ask 1 show 0.- wake 60"); // the placeholder
        EXPECT_EQ(schedule.outstanding(), 1u);
        std::vector<std::string> lines;
        for (const auto& event : c.events) {
            lines.push_back(replay(schedule, event));
        }
        EXPECT_EQ(lines, c.lines);
    }
}

TEST(TimelineSchedule, OneShotShowsTheLatestDueEntryElseTheFirstToCome) {
    const std::vector<Date> dates{at(20), at(-10), at(5), at(-10)};
    EXPECT_EQ(entryToShow(dates, at(0)), 3u); // of equal dates, the later in the list
    EXPECT_EQ(entryToShow(dates, at(-20)), 1u);
    EXPECT_EQ(entryToShow(dates, at(20)), 0u);
    EXPECT_EQ(entryToShow({}, at(0)), std::nullopt);
}

} // namespace
