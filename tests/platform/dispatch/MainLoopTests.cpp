// What the widget host's and the application's loops did apart, now done by one: the exit code
// a quit signal ends with, signals that leave the loop running, and timers that die with it.

#include "platform/dispatch/MainLoop.h"

#include <csignal>
#include <functional>
#include <gtest/gtest.h>

namespace {

using platform::dispatch::DispatchQueue;
using platform::dispatch::MainLoop;

TEST(MainLoop, AQuitSignalEndsWithTheCodeItsHandlerChooses) {
    struct Case {
        const char* name;
        int signal;
        std::function<int(int)> handler;
        int expected;
    };
    const Case cases[] = {
        {"SIGINT, no handler", SIGINT, nullptr, 0},
        {"SIGTERM, no handler", SIGTERM, nullptr, 0},
        {"SIGTERM, 128 + signal", SIGTERM, [](int signal) { return 128 + signal; }, 143},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MainLoop loop;
        loop.onQuitSignal(c.handler);
        loop.quitAfter(60, 9); // a safety net only: the signal comes at once
        DispatchQueue::main().async([&] { std::raise(c.signal); });
        EXPECT_EQ(loop.run(), c.expected);
    }
}

TEST(MainLoop, AnotherSignalRunsItsHandlerAndTheLoopGoesOn) {
    MainLoop loop;
    int heard = 0;
    ASSERT_TRUE(loop.onSignal(SIGUSR1, [&] {
        if (++heard == 2) {
            loop.quit(4);
        } else { // once heard: signals that arrive together are heard once
            DispatchQueue::main().async([] { std::raise(SIGUSR1); });
        }
    }));
    loop.quitAfter(60, 9);
    DispatchQueue::main().async([] { std::raise(SIGUSR1); });
    EXPECT_EQ(loop.run(), 4);
    EXPECT_EQ(heard, 2);
}

TEST(MainLoop, RefusesSignalsItCannotWatchWithoutEnding) {
    MainLoop loop;
    for (int signal : {SIGINT, SIGTERM, SIGKILL, SIGSEGV}) {
        SCOPED_TRACE(signal);
        EXPECT_FALSE(loop.onSignal(signal, [] {}));
    }
}

TEST(MainLoop, ATimerDiesWithItsLoop) {
    int fired = 0;
    {
        MainLoop gone;
        gone.after(0, [&] { ++fired; });
    }
    MainLoop loop;
    loop.after(0, [&] { loop.quit(fired); });
    EXPECT_EQ(loop.run(), 0);
}

} // namespace
