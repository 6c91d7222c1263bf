#include "platform/foundation/Clock.h"
#include "platform/widget/TimelineHost.h"

#include <gtest/gtest.h>
#include <thread>
#include <vector>

namespace {

using namespace platform::widget;
using platform::dispatch::DispatchQueue;
using platform::foundation::Date;
using platform::foundation::ScopedClock;

struct CountEntry {
    Date date;
    int count = 0;
};

using Completion = std::function<void(Timeline<CountEntry>)>;

// Keeps every timeline request so the test answers it when and from where it likes.
struct HeldRequests {
    std::vector<Completion> completions;
};

struct HoldingProvider {
    std::shared_ptr<HeldRequests> held = std::make_shared<HeldRequests>();

    CountEntry placeholder(const TimelineProviderContext&) const { return {Date::now(), -1}; }
    void getSnapshot(const TimelineProviderContext&, std::function<void(CountEntry)> done) const {
        done({Date::now(), -2});
    }
    void getTimeline(const TimelineProviderContext&, Completion done) const {
        held->completions.push_back(std::move(done));
    }
};

// Answers inside getTimeline, on the calling thread, as a clock-only provider does.
struct SynchronousProvider {
    std::shared_ptr<int> asked = std::make_shared<int>(0);

    CountEntry placeholder(const TimelineProviderContext&) const { return {Date::now(), -1}; }
    void getSnapshot(const TimelineProviderContext&, std::function<void(CountEntry)> done) const {
        done({Date::now(), -2});
    }
    void getTimeline(const TimelineProviderContext&, Completion done) const {
        *asked += 1;
        done(Timeline{std::vector{CountEntry{Date::now(), *asked}},
                      TimelineReloadPolicy::after(Date::now().addingTimeInterval(3600))});
    }
};

Timeline<CountEntry> oneEntry(int count) {
    return Timeline{std::vector{CountEntry{Date::now(), count}},
                    TimelineReloadPolicy::after(Date::now().addingTimeInterval(900))};
}

struct Recorder {
    std::vector<int> shown;
    std::vector<bool> stale;
    std::vector<std::optional<Date>> sleeps;
    std::vector<std::thread::id> presentedOn;
    int depth = 0;
    int deepest = 0;

    template <class P> typename TimelineHost<P>::Hooks hooks() {
        typename TimelineHost<P>::Hooks h;
        h.present = [this](const CountEntry& entry, const Presentation& presentation) {
            deepest = std::max(deepest, ++depth);
            shown.push_back(entry.count);
            stale.push_back(presentation.stale);
            presentedOn.push_back(std::this_thread::get_id());
            --depth;
        };
        h.sleepUntil = [this](std::optional<Date> at) { sleeps.push_back(at); };
        return h;
    }
};

class TimelineHostTest : public testing::Test {
protected:
    void SetUp() override { DispatchQueue::main().drain(); }
    void TearDown() override { DispatchQueue::main().drain(); }

    ScopedClock clock{Date::fromTimeIntervalSince1970(1'623'000'000)};
    Recorder recorder;
};

TEST_F(TimelineHostTest, ShowsThePlaceholderAtOnceAndNeverWaitsForTheAnswer) {
    HoldingProvider provider;
    TimelineHost host(provider, {}, recorder.hooks<HoldingProvider>());
    host.start();

    EXPECT_EQ(recorder.shown, std::vector{-1});
    EXPECT_EQ(provider.held->completions.size(), 1u);
    ASSERT_FALSE(recorder.sleeps.empty());
    EXPECT_EQ(recorder.sleeps.back(), clock.now().addingTimeInterval(60));
}

TEST_F(TimelineHostTest, AnAnswerFromAnotherThreadIsShownOnTheHostsLoop) {
    HoldingProvider provider;
    TimelineHost host(provider, {}, recorder.hooks<HoldingProvider>());
    host.start();

    std::thread network([&] { provider.held->completions.at(0)(oneEntry(7)); });
    network.join();
    EXPECT_EQ(recorder.shown, std::vector{-1}); // nothing happens off the loop

    DispatchQueue::main().drain();
    EXPECT_EQ(recorder.shown, (std::vector{-1, 7}));
    EXPECT_EQ(recorder.presentedOn.back(), std::this_thread::get_id());
    EXPECT_EQ(recorder.sleeps.back(), clock.now().addingTimeInterval(900));
}

TEST_F(TimelineHostTest, AnswerDeliveredTwiceAndLateAnswersAreIgnored) {
    HoldingProvider provider;
    TimelineHost host(provider, {}, recorder.hooks<HoldingProvider>());
    host.start();
    clock.advance(60);
    host.wake(); // no answer within a minute: ask again
    ASSERT_EQ(provider.held->completions.size(), 2u);

    provider.held->completions[1](oneEntry(2));
    provider.held->completions[1](oneEntry(3));
    provider.held->completions[0](oneEntry(1));
    DispatchQueue::main().drain();

    EXPECT_EQ(recorder.shown, (std::vector{-1, -1, 2})); // the placeholder again, marked stale
    EXPECT_EQ(host.shown().count, 2);
}

TEST_F(TimelineHostTest, ProviderAnsweringInsideGetTimelineDoesNotRecurse) {
    SynchronousProvider provider;
    TimelineHost host(provider, {}, recorder.hooks<SynchronousProvider>());
    host.start();
    DispatchQueue::main().drain();

    EXPECT_EQ(*provider.asked, 1);
    EXPECT_EQ(recorder.shown, (std::vector{-1, 1}));
    EXPECT_EQ(recorder.sleeps.back(), clock.now().addingTimeInterval(3600));
    EXPECT_EQ(DispatchQueue::main().drain(), 0u); // nothing more queued: no loop of requests
}

TEST_F(TimelineHostTest, SynchronousPostIsHandledInTurnNotNested) {
    SynchronousProvider provider;
    auto hooks = recorder.hooks<SynchronousProvider>();
    hooks.post = [](platform::dispatch::Block block) { block(); };
    TimelineHost host(provider, {}, std::move(hooks));
    host.start();

    EXPECT_EQ(*provider.asked, 1);
    EXPECT_EQ(recorder.shown, (std::vector{-1, 1}));
    EXPECT_EQ(recorder.deepest, 1);
    // The last word on sleeping is the newest plan: the reload an hour away, not a retry.
    EXPECT_EQ(recorder.sleeps.back(), clock.now().addingTimeInterval(3600));
}

TEST_F(TimelineHostTest, StaleIsPresentedOverTheSameEntryAndClearedByTheNextAnswer) {
    HoldingProvider provider;
    TimelineHost host(provider, {}, recorder.hooks<HoldingProvider>());
    host.start();
    provider.held->completions.at(0)(oneEntry(5));
    DispatchQueue::main().drain();

    for (int minutes = 1; minutes <= 30; ++minutes) {
        clock.advance(60);
        host.wake();
    }
    EXPECT_EQ(recorder.shown.back(), 5);
    EXPECT_TRUE(recorder.stale.back());

    provider.held->completions.back()(oneEntry(6));
    DispatchQueue::main().drain();
    EXPECT_EQ(recorder.shown.back(), 6);
    EXPECT_FALSE(recorder.stale.back());
}

TEST_F(TimelineHostTest, AnAnswerAfterTheHostIsGoneIsDropped) {
    HoldingProvider provider;
    {
        TimelineHost host(provider, {}, recorder.hooks<HoldingProvider>());
        host.start();
    }
    provider.held->completions.at(0)(oneEntry(9));
    DispatchQueue::main().drain();
    EXPECT_EQ(recorder.shown, std::vector{-1});
}

} // namespace
