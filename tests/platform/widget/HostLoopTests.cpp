#include "platform/dispatch/DispatchQueue.h"
#include "platform/dispatch/MainLoop.h"
#include "platform/foundation/Clock.h"
#include "platform/widget/SleepMonitor.h"
#include "platform/widget/WallClockTimer.h"

#include <csignal>
#include <gtest/gtest.h>
#include <thread>

namespace {

using namespace platform::widget;
using platform::dispatch::DispatchQueue;
using HostLoop = platform::dispatch::MainLoop;
using platform::foundation::clock::systemNow;

TEST(HostLoop, RunsBlocksQueuedFromAnotherThreadOnTheLoopsThread) {
    HostLoop loop;
    std::thread::id ranOn;
    std::thread worker([&] {
        DispatchQueue::main().async([&] {
            ranOn = std::this_thread::get_id();
            loop.quit(3);
        });
    });
    worker.join();
    EXPECT_EQ(loop.run(), 3);
    EXPECT_EQ(ranOn, std::this_thread::get_id());
}

TEST(HostLoop, RunsBlocksQueuedBeforeItStarted) {
    bool ran = false;
    DispatchQueue::main().async([&] { ran = true; });
    HostLoop loop;
    DispatchQueue::main().async([&] { loop.quit(0); });
    EXPECT_EQ(loop.run(), 0);
    EXPECT_TRUE(ran);
}

TEST(HostLoop, QuitAfterEndsWithItsCode) {
    HostLoop loop;
    loop.quitAfter(0, 7);
    EXPECT_EQ(loop.run(), 7);
}

class QuitSignals : public testing::TestWithParam<int> {};

TEST_P(QuitSignals, EndTheLoopCleanly) {
    HostLoop loop;
    loop.quitAfter(60, 9); // a safety net only: the signal comes at once
    DispatchQueue::main().async([] { std::raise(GetParam()); });
    EXPECT_EQ(loop.run(), 0);
}

INSTANTIATE_TEST_SUITE_P(Signals, QuitSignals, testing::Values(SIGINT, SIGTERM));

TEST(WallClockTimer, FiresForADateThatHasPassed) {
    HostLoop loop;
    int fired = 0;
    WallClockTimer timer([&] { ++fired, loop.quit(0); }, [] {});
    ASSERT_TRUE(timer.valid());
    loop.quitAfter(60, 9);
    timer.arm(systemNow().addingTimeInterval(-1));
    EXPECT_EQ(loop.run(), 0);
    EXPECT_EQ(fired, 1);
}

TEST(WallClockTimer, RearmingReplacesTheDeadline) {
    HostLoop loop;
    int fired = 0;
    WallClockTimer timer([&] { ++fired; }, [] {});
    timer.arm(systemNow().addingTimeInterval(-1));
    timer.arm(std::nullopt); // nothing due any more
    loop.quitAfter(0, 0);
    loop.run();
    EXPECT_EQ(fired, 0);
}

TEST(SleepMonitor, WithoutASystemBusSaysNothingAndLeavesQuietly) {
    g_setenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/trelvo-test-bus", TRUE);
    HostLoop loop;
    int resumed = 0;
    {
        SleepMonitor monitor([&] { ++resumed; });
        loop.quitAfter(0, 0);
        loop.run();
    }
    SleepMonitor gone([&] { ++resumed; }); // destroyed before its bus answers
    EXPECT_EQ(resumed, 0);
}

} // namespace
