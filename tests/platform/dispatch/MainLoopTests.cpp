// What the host's and the application's loops did apart, now one loop: the code a quit signal
// ends with, a signal that leaves the loop running, and timers that die with their loop.

#include "platform/dispatch/MainLoop.h"

#include <csignal>
#include <functional>
#include <gtest/gtest.h>

namespace {

using platform::dispatch::DispatchQueue;
using platform::dispatch::MainLoop;

TEST(MainLoop, AQuitSignalEndsWithTheCodeItsHandlerChooses) {
    struct Case {
        int signal;
        std::function<int(int)> handler;
        int expected;
    };
    for (const auto& c : {Case{SIGINT, nullptr, 0}, Case{SIGTERM, nullptr, 0},
                          Case{SIGTERM, [](int signal) { return 128 + signal; }, 143}}) {
        SCOPED_TRACE(c.signal);
        MainLoop loop;
        loop.onQuitSignal(c.handler);
        loop.quitAfter(60, 9); // a safety net only: the signal comes at once
        DispatchQueue::main().async([&] { std::raise(c.signal); });
        EXPECT_EQ(loop.run(), c.expected);
    }
}

TEST(MainLoop, AnotherSignalRunsItsHandlerEachTimeAndTheLoopGoesOn) {
    MainLoop loop;
    int heard = 0;
    ASSERT_TRUE(loop.onSignal(SIGUSR1, [&] {
        if (++heard == 2) {
            loop.quit(4);
        } else { // raised again once heard: signals that arrive together are heard once
            DispatchQueue::main().async([] { std::raise(SIGUSR1); });
        }
    }));
    EXPECT_FALSE(loop.onSignal(SIGKILL, [] {}));
    loop.quitAfter(60, 9);
    DispatchQueue::main().async([] { std::raise(SIGUSR1); });
    EXPECT_EQ(loop.run(), 4);
}

TEST(MainLoop, ATimerDiesWithItsLoop) {
    int fired = 0;
    MainLoop(/* gone at once */).after(0, [&] { ++fired; });
    MainLoop loop;
    loop.after(0, [&] { loop.quit(fired); });
    EXPECT_EQ(loop.run(), 0);
}

} // namespace
