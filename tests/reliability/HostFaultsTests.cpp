// The widget host under the test clock: providers that misbehave over a simulated day, and the
// countdown as the wall clock jumps and the user's zone changes. The rules themselves (backoff,
// the reload floor, duplicate answers) are the schedule's tests'; here, only that a day of
// misbehaviour settles.

#include "countdown_widget/Provider.h"
#include "platform/dispatch/DispatchQueue.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/TimeZone.h"
#include "platform/widget/TimelineHost.h"

#include <gtest/gtest.h>

namespace {

using namespace countdown_widget;
using namespace platform::widget;
using platform::dispatch::DispatchQueue;
using platform::foundation::Date;
using platform::foundation::ScopedClock;

constexpr double minute = 60, hour = 3600, day = 24 * hour;

struct Tick {
    Date date;
};
using Ticks = Timeline<Tick>;
// What the provider hands back for each request, in order: a timeline of one entry reloading
// after that many seconds, or an empty timeline.
using Answers = std::vector<std::optional<double>>;

struct ScriptedProvider {
    Answers answers;
    std::shared_ptr<std::vector<Date>> asked;

    Tick placeholder(const TimelineProviderContext&) const { return {Date::now()}; }
    void getSnapshot(const TimelineProviderContext&, std::function<void(Tick)> done) const {
        done({Date::now()});
    }
    void getTimeline(const TimelineProviderContext&, std::function<void(Ticks)> done) const {
        const Date now = Date::now();
        asked->push_back(now);
        for (const auto reload : answers) {
            done(reload
                     ? Ticks{{{now}}, TimelineReloadPolicy::after(now.addingTimeInterval(*reload))}
                     : Ticks{{}, TimelineReloadPolicy::atEnd()});
        }
    }
};

TEST(HostFaults, AMisbehavingProviderNeitherStopsTheHostNorMakesItSpin) {
    struct Case {
        const char* name;
        Answers answers;
        std::size_t mostRequests; // in the day, the first included
        double shortestGap;       // between two requests, at least
    } const cases[] = {
        // Retries after 1, 2, 4 and 8 minutes, then every 15: about a hundred, none piled up.
        {"never answers", {}, 5 + 24 * 4, minute},
        {"answers twice", {hour, hour}, 25, hour},
        // No provider can make the host ask more than once a minute.
        {"reload in the past", {-hour}, 24 * 60 + 1, minute},
        {"empty timeline", {std::nullopt}, 24 * 60 + 1, minute},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // A day of the host, the clock going straight to each wake-up it asks for.
        auto asked = std::make_shared<std::vector<Date>>();
        const Date end = Date::fromTimeIntervalSince1970(1'623'000'000 + day);
        ScopedClock clock(end.addingTimeInterval(-day));
        std::optional<Date> wake;
        TimelineHost host(ScriptedProvider{c.answers, asked}, {},
                          {nullptr, [&](std::optional<Date> at) { wake = at; }});
        host.start();
        DispatchQueue::main().drain();
        for (int events = 0; wake && *wake <= end; ++events) {
            ASSERT_LT(events, 100'000) << "the host never settled";
            clock.set(std::max(*wake, clock.now()));
            wake.reset();
            host.wake();
            DispatchQueue::main().drain();
        }
        EXPECT_GE(asked->size(), 2u) << "the host gave up asking";
        EXPECT_LE(asked->size(), c.mostRequests);
        for (std::size_t i = 1; i < asked->size(); ++i) {
            ASSERT_GE((*asked)[i].timeIntervalSince((*asked)[i - 1]), c.shortestGap) << i;
        }
    }
}

// A jump of the wall clock is shown at once; a change of zone at the next request, as the
// provider computes each count from the clock and the zone as they are then.
TEST(HostFaults, TheCountdownFollowsClockJumpsAtOnceAndAZoneChangeAtItsNextRequest) {
    platform::foundation::ScopedTimeZone moscow("Europe/Moscow");
    // 01:30 on the event day in Moscow, 22:30 on its eve in Reykjavik.
    ScopedClock clock(Date::fromTimeIntervalSince1970(Provider::eventDateSince1970 - 1.5 * hour));
    std::int64_t shown = -100;
    TimelineHost host(
        Provider(), {},
        {[&](const DaysUntilEntry& entry, const Presentation&) { shown = entry.daysUntil; },
         nullptr});
    host.start();
    DispatchQueue::main().drain();
    ASSERT_EQ(shown, 0);
    platform::foundation::ScopedTimeZone reykjavik("Atlantic/Reykjavik");
    auto after = [&](double move, void (TimelineHost<Provider>::*event)()) {
        clock.advance(move);
        (host.*event)();
        DispatchQueue::main().drain();
        return shown;
    };
    using Host = TimelineHost<Provider>;
    EXPECT_EQ(after(minute, &Host::wake), 0) << "the zone changed a minute ago, no request since";
    EXPECT_EQ(after(hour, &Host::wake), 1) << "at the hourly reload";
    EXPECT_EQ(after(-day, &Host::clockChanged), 2) << "the clock set back a day";
    EXPECT_EQ(after(-day, &Host::clockChanged), 3) << "and another";
    EXPECT_EQ(after(day, &Host::clockChanged), 2) << "forward a day";
}

} // namespace
