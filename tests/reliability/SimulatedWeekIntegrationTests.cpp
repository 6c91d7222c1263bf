// The results widget's host in this process for a simulated week of reloads, every other fetch
// failing in a different way: each fetch ends in its one line, and after the week the process
// holds no more threads than after its first fetch and stays within its memory bound.

#include "platform/dispatch/DispatchQueue.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/LinePrinter.h"
#include "platform/net/NetworkEngine.h"
#include "platform/net/ScopedCompletionCounter.h"
#include "platform/widget/WidgetMain.h"
#include "results_widget/TrelvoResultsWidget.h"
#include "tests/reliability/ProcessProbe.h"
#include "tests/support/servers/DemoServiceFixture.h"

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <gtest/gtest.h>
#include <iostream>
#include <thread>

namespace {

using namespace results_widget;
using namespace std::chrono_literals;
using platform::dispatch::DispatchQueue;
using platform::foundation::Date;
using platform::foundation::ScopedClock;
using platform::foundation::ScopedLineCapture;

constexpr int fetchesInAWeek = 7 * 24 * 4;
constexpr std::size_t memoryBoundKiB = 100 * 1024;

bool eventually(const std::function<bool()>& condition) {
    auto deadline = std::chrono::steady_clock::now() + 15s;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(2ms); // the fetch runs on the network's threads, in real time
    }
    return true;
}

void networkIdle() {
    eventually([] { return !platform::net::NetworkEngine::shared().isRunning(); });
}

// Waits for the host's loop to run what was queued for it so far: an answer handed over before
// the fetch's handler returned has then been taken, and planned from at the time it came.
bool hostSettled() {
    auto ran = std::make_shared<std::atomic<bool>>(false);
    DispatchQueue::main().async([ran] { *ran = true; });
    return eventually([&] { return ran->load(); });
}

// Ends the host from its own loop when the script is over, however it ends.
struct EndsTheHost {
    ~EndsTheHost() {
        DispatchQueue::main().async([] { std::raise(SIGTERM); });
    }
};

class SimulatedWeek : public trelvo::test::DemoServiceFixture {
protected:
    void SetUp() override {
        ::unsetenv("DISPLAY");
        ::unsetenv("WAYLAND_DISPLAY");
        ::setenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent", 1);
    }
    void TearDown() override { ::unsetenv("DBUS_SYSTEM_BUS_ADDRESS"); }

    // The service's answer for the n-th fetch: good, then broken in turn.
    void serveFor(int fetch) {
        switch (fetch % 4) {
        case 1:
            service().respond("/api/v1/stat", 502, "<html>Bad Gateway</html>", "text/html");
            break;
        case 3:
            service().removeStatFile();
            service().clearResponse("/api/v1/stat");
            break;
        default:
            service().clearResponse("/api/v1/stat");
            service().setStatJSON(R"({"year_result": 1500, "year_plan": 3000,)"
                                  R"( "month_result": 100, "month_plan": 250})");
        }
    }
};

TEST_F(SimulatedWeek, EveryFetchEndsInItsLineAndNothingPilesUp) {
    trelvo::test::TemporaryDirectory folder("reliability-week");
    auto file = folder.path() / "results.png";
    ScopedClock clock(Date::fromTimeIntervalSince1970(1'623'000'000));
    ScopedLineCapture lines;
    platform::net::ScopedCompletionCounter fetched;
    std::size_t threadsAfterFirst = 0;
    std::size_t threadsAfterWeek = 0;

    std::thread script([&] {
        EndsTheHost end;
        serveFor(0);
        ASSERT_TRUE(fetched.waitFor(1, 15s) && hostSettled()) << "first fetch";
        networkIdle();
        threadsAfterFirst = reliability::threadCount();
        for (int fetch = 1; fetch <= fetchesInAWeek; ++fetch) {
            serveFor(fetch);
            // The reload after an answer, or the retry after a failure: one fetch either way.
            clock.advance(15 * 60);
            ASSERT_TRUE(fetched.waitFor(fetch + 1, 15s) && hostSettled())
                << "fetch " << fetch << " never ended";
        }
        networkIdle();
        reliability::waitForThreadCount(threadsAfterFirst, 5s);
        threadsAfterWeek = reliability::threadCount();
    });
    std::vector<std::string> args{"TrelvoResultsWidgetExtension", "--output", file.string()};
    std::vector<char*> argv{args[0].data(), args[1].data(), args[2].data(), nullptr};
    int status = platform::widget::main<TrelvoResultsWidget>(3, argv.data());
    script.join();

    EXPECT_EQ(status, 0);
    auto printed = lines.lines();
    EXPECT_EQ(printed.size(), std::size_t(fetchesInAWeek + 1));
    for (std::size_t i = 0; i < printed.size(); ++i) {
        EXPECT_EQ(printed[i] == "0.5", i % 2 == 0) << i << ": " << printed[i];
    }
    EXPECT_LE(threadsAfterWeek, threadsAfterFirst);
    auto peak = reliability::peakResidentKiB();
    if (reliability::memoryIsMeasurable) {
        EXPECT_LT(peak, memoryBoundKiB);
    }
    std::cout << printed.size() << " fetches; threads " << threadsAfterFirst << " after the first, "
              << threadsAfterWeek << " after the week; peak resident " << peak << " KiB\n";
}

} // namespace
