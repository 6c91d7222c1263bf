#include "platform/combine/ObservableObject.h"

#include <atomic>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

using platform::combine::Cancellable;
using platform::combine::ObservableObject;

namespace {

struct Model : ObservableObject {};

enum class Ending { dropped, cancelled, movedOverByEmpty, reassigned };

struct EndingCase {
    const char* name;
    Ending ending;
};

void end(std::optional<Cancellable>& subscription, Ending ending) {
    switch (ending) {
    case Ending::dropped:
        subscription.reset();
        break;
    case Ending::cancelled:
        subscription->cancel();
        break;
    case Ending::movedOverByEmpty:
        *subscription = Cancellable();
        break;
    case Ending::reassigned:
        *subscription = Cancellable([] {});
        break;
    }
}

void PrintTo(const EndingCase& ending, std::ostream* out) {
    *out << ending.name;
}

class SubscriptionEnding : public testing::TestWithParam<EndingCase> {};

} // namespace

TEST_P(SubscriptionEnding, StopsFurtherCalls) {
    auto model = std::make_shared<Model>();
    int calls = 0;
    std::optional<Cancellable> subscription = model->objectWillChange.sink([&] { ++calls; });
    model->objectWillChange.send();

    end(subscription, GetParam().ending);
    model->objectWillChange.send();

    EXPECT_EQ(calls, 1);
}

INSTANTIATE_TEST_SUITE_P(Endings, SubscriptionEnding,
                         testing::Values(EndingCase{"dropped", Ending::dropped},
                                         EndingCase{"cancelled", Ending::cancelled},
                                         EndingCase{"movedOverByEmpty", Ending::movedOverByEmpty},
                                         EndingCase{"reassigned", Ending::reassigned}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Subscription, MovedCancellableKeepsTheSubscription) {
    auto model = std::make_shared<Model>();
    int calls = 0;
    std::optional<Cancellable> holder;
    {
        auto subscription = model->objectWillChange.sink([&] { ++calls; });
        holder.emplace(std::move(subscription));
    } // the moved-from handle is dropped here and must not end anything
    model->objectWillChange.send();
    holder.reset();
    model->objectWillChange.send();

    EXPECT_EQ(calls, 1);
}

TEST(Subscription, OutlivingItsObjectIsHarmless) {
    auto model = std::make_shared<Model>();
    std::weak_ptr<Model> watch = model;
    auto subscription = model->objectWillChange.sink([] {});

    model.reset();
    EXPECT_TRUE(watch.expired()); // the subscription does not keep the object alive
    subscription.cancel();
}

TEST(Subscription, CancelledByAnEarlierSubscriberDuringSendIsNotCalled) {
    auto model = std::make_shared<Model>();
    Cancellable second;
    bool secondCalled = false;
    auto first = model->objectWillChange.sink([&] { second.cancel(); });
    second = model->objectWillChange.sink([&] { secondCalled = true; });

    model->objectWillChange.send();

    EXPECT_FALSE(secondCalled);
}

TEST(Subscription, SubscriberMayEndItselfAndSubscribeOthersFromItsCallback) {
    auto model = std::make_shared<Model>();
    Cancellable self;
    std::vector<Cancellable> added;
    int selfCalls = 0;
    int addedCalls = 0;
    self = model->objectWillChange.sink([&] {
        ++selfCalls;
        self.cancel();
        added.push_back(model->objectWillChange.sink([&] { ++addedCalls; }));
    });

    model->objectWillChange.send(); // the new subscriber joins from the next send on
    model->objectWillChange.send();

    EXPECT_EQ(selfCalls, 1);
    EXPECT_EQ(addedCalls, 1);
}

TEST(Subscription, SubscribingAndCancellingFromOtherThreadsWhileSending) {
    auto model = std::make_shared<Model>();
    std::atomic<bool> stop{false};
    std::atomic<int> calls{0};
    std::vector<std::thread> churners;
    for (int t = 0; t < 3; ++t) {
        churners.emplace_back([&] {
            while (!stop) {
                auto subscription = model->objectWillChange.sink([&] { ++calls; });
            }
        });
    }
    auto lasting = model->objectWillChange.sink([&] { ++calls; });
    for (int i = 0; i < 2000; ++i) {
        model->objectWillChange.send();
    }
    stop = true;
    for (auto& thread : churners) {
        thread.join();
    }
    EXPECT_GE(calls.load(), 2000);
}

TEST(Subscription, ObjectDestroyedOnAnotherThreadWhileSubscriptionsEnd) {
    for (int round = 0; round < 200; ++round) {
        auto model = std::make_shared<Model>();
        std::vector<Cancellable> subscriptions;
        for (int i = 0; i < 8; ++i) {
            subscriptions.push_back(model->objectWillChange.sink([] {}));
        }
        std::thread destroyer([held = std::move(model)]() mutable { held.reset(); });
        subscriptions.clear();
        destroyer.join();
    }
}
