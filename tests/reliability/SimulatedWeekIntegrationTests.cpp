// The results widget's host in this process for a simulated week of reloads, every other fetch
// failing in a different way and the machine asleep for two hours each night, told of its
// waking by "logind" on a private system bus that goes away on the last day: each fetch ends in
// its one line, and the process ends the week with no more threads than after its first fetch.

#include "platform/foundation/Clock.h"
#include "platform/foundation/LinePrinter.h"
#include "platform/net/ScopedCompletionCounter.h"
#include "results_widget/TrelvoResultsWidget.h"
#include "tests/reliability/InProcessHost.h"
#include "tests/support/PrivateSystemBus.h"
#include "tests/support/servers/DemoServiceFixture.h"

#include <gtest/gtest.h>

namespace {

using namespace results_widget;
using namespace std::chrono_literals;
using platform::foundation::Date;
using namespace trelvo::test;
constexpr int fetchesADay = 24 * 4;

using SimulatedWeek = DemoServiceFixture;

TEST_F(SimulatedWeek, EveryFetchEndsInItsLineThroughSuspendsAndNothingPilesUp) {
    ::unsetenv("DISPLAY");
    ::unsetenv("WAYLAND_DISPLAY");
    TemporaryDirectory folder("reliability-week");
    PrivateSystemBus bus(folder.path());
    ASSERT_TRUE(bus.ready()) << "no private bus: is dbus-daemon installed?";
    std::optional<platform::foundation::ScopedClock> clock(
        Date::fromTimeIntervalSince1970(1'623'000'000));
    platform::foundation::ScopedLineCapture lines;
    platform::net::ScopedCompletionCounter fetched;
    // The service's answer for the n-th fetch: good, then broken in turn.
    auto serveFor = [&](int fetch) {
        service().clearResponse("/api/v1/stat");
        if (fetch % 4 == 1) {
            service().respond("/api/v1/stat", 502, "<html>Bad Gateway</html>", "text/html");
        } else if (fetch % 4 == 3) {
            service().removeStatFile();
        } else {
            service().setStatJSON(R"({"year_result": 1500, "year_plan": 3000,)"
                                  R"( "month_result": 100, "month_plan": 250})");
        }
    };
    std::size_t threadsAfterFirst = 0;

    int status = reliability::runHostWhile<TrelvoResultsWidget>(folder.path() / "r.png", [&] {
        serveFor(0);
        ASSERT_TRUE(fetched.waitFor(1, 15s) && reliability::hostSettled());
        for (int fetch = 1; fetch <= 7 * fetchesADay; ++fetch) {
            serveFor(fetch);
            if (fetch % fetchesADay == 1) {
                // A night's suspend: the wall clock is not set, so no timer says two hours went
                // by; only logind's word that the machine woke does. The host subscribes in the
                // background, so the word is repeated until it is heard.
                ASSERT_TRUE(reliability::networkIdle()); // nothing reads the clock meanwhile
                clock.emplace(clock->now().addingTimeInterval(2 * 3600));
                ASSERT_TRUE(eventually([&] {
                    return bus.announceSleep(false) && fetched.count() > std::size_t(fetch);
                })) << "no fetch on waking, night "
                    << fetch / fetchesADay;
            } else {
                // The reload after an answer, or the retry after a failure: one fetch either way.
                clock->advance(15 * 60);
            }
            ASSERT_TRUE(fetched.waitFor(fetch + 1, 15s) && reliability::hostSettled())
                << "fetch " << fetch << " never ended";
            if (fetch == 1) {
                ASSERT_TRUE(reliability::networkIdle());
                threadsAfterFirst = reliability::threadCount();
            }
            if (fetch == 6 * fetchesADay + 2) {
                bus.stop(); // a restart of the system's bus, an upgrade of dbus
            }
        }
        EXPECT_TRUE(reliability::threadsBackTo(threadsAfterFirst))
            << reliability::threadCount() << " threads, " << threadsAfterFirst << " after one";
    });

    EXPECT_EQ(status, 0) << "the host ended before it was told to";
    auto printed = lines.lines();
    ASSERT_EQ(printed.size(), std::size_t(7 * fetchesADay + 1));
    for (std::size_t i = 0; i < printed.size(); ++i) {
        EXPECT_EQ(printed[i] == "0.5", i % 2 == 0) << i << ": " << printed[i];
    }
    reliability::expectModestPeakMemory();
}

} // namespace
