#include "platform/foundation/Clock.h"

#include <atomic>
#include <gtest/gtest.h>
#include <optional>
#include <thread>
#include <vector>

using namespace platform::foundation;

namespace {

TEST(ClockObservers, HearEveryJumpUntilTheSubscriptionEnds) {
    ScopedClock clock(Date::fromTimeIntervalSince1970(1000));
    std::vector<Date> seen;
    {
        auto subscription = clock::observeChanges([&] { seen.push_back(Date::now()); });
        clock.advance(60);
        clock.set(Date::fromTimeIntervalSince1970(5000));
    }
    clock.advance(60);
    EXPECT_EQ(seen, (std::vector{Date::fromTimeIntervalSince1970(1060),
                                 Date::fromTimeIntervalSince1970(5000)}));
}

TEST(ClockObservers, MovedOrCancelledSubscriptionsBehave) {
    ScopedClock clock(Date{});
    int calls = 0;
    clock::Subscription kept;
    {
        auto subscription = clock::observeChanges([&] { ++calls; });
        kept = std::move(subscription);
    }
    clock.advance(1);
    EXPECT_EQ(calls, 1);
    kept.cancel();
    clock.advance(1);
    EXPECT_EQ(calls, 1);
}

TEST(ClockObservers, AnObserverMayCancelItself) {
    ScopedClock clock(Date{});
    int calls = 0;
    std::optional<clock::Subscription> subscription;
    subscription = clock::observeChanges([&] {
        ++calls;
        subscription->cancel();
    });
    clock.advance(1);
    clock.advance(1);
    EXPECT_EQ(calls, 1);
}

TEST(ClockObservers, NoCallAfterCancelReturnsWhileAnotherThreadMovesTheClock) {
    ScopedClock clock(Date{});
    std::atomic<bool> cancelled{false};
    std::atomic<int> lateCalls{0};
    std::atomic<bool> stop{false};
    auto subscription = clock::observeChanges([&] {
        if (cancelled.load()) {
            ++lateCalls;
        }
    });
    std::thread mover([&] {
        while (!stop.load()) {
            clock.advance(1);
        }
    });
    while (Date::now().timeIntervalSinceReferenceDate < 1000) {
        std::this_thread::yield();
    }
    subscription.cancel();
    cancelled.store(true);
    auto movedTo = Date::now();
    while (Date::now().timeIntervalSince(movedTo) < 1000) {
        std::this_thread::yield();
    }
    stop.store(true);
    mover.join();
    EXPECT_EQ(lateCalls.load(), 0);
}

} // namespace
