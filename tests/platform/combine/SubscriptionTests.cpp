#include "platform/combine/Published.h"

#include <atomic>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

using namespace platform::combine;

struct VersionModel : ObservableObject {
    Published<std::string> version{*this, "0"};
    Published<int> checks{*this, 0};
};

TEST(Published, EveryAssignmentIsAnnouncedInSubscriptionOrderBeforeItIsStored) {
    auto model = std::make_shared<VersionModel>();
    std::string heard; // the first subscriber notes the version it still sees
    auto first = model->objectWillChange.sink([&] { heard += "a" + model->version.get(); });
    auto second = model->objectWillChange.sink([&] { heard += 'b'; });
    auto third = model->objectWillChange.sink([&] { heard += 'c'; });
    model->version = "1";
    model->version = "2";
    model->version = "2"; // the same value still counts: nothing compares
    second.cancel();
    model->checks = 1;
    EXPECT_EQ(heard, "a0bca1bca2bca2c");
    EXPECT_EQ(model->version.get(), "2");
}

TEST(Cancellable, EachWayOfEndingStopsFurtherCallsAndAMoveEndsNothing) {
    const std::pair<const char*, std::function<void(std::optional<Cancellable>&)>> endings[] = {
        {"dropped", [](auto& s) { s.reset(); }},
        {"cancelled", [](auto& s) { s->cancel(); }},
        {"moved over by an empty one", [](auto& s) { *s = Cancellable(); }},
        {"reassigned", [](auto& s) { *s = Cancellable([] {}); }},
        {"moved away and dropped", [](auto& s) { Cancellable taken = std::move(*s); }}};
    for (const auto& [name, end] : endings) {
        auto model = std::make_shared<ObservableObject>();
        int calls = 0;
        std::optional<Cancellable> first = model->objectWillChange.sink([&] { ++calls; });
        std::optional<Cancellable> moved = std::move(*first);
        first.reset(); // the moved-from handle ends nothing
        model->objectWillChange.send();
        end(moved);
        model->objectWillChange.send();
        EXPECT_EQ(calls, 1) << name;
    }
    // A subscription neither keeps its object alive nor minds outliving it.
    auto model = std::make_shared<ObservableObject>();
    std::weak_ptr<ObservableObject> watch = model;
    auto subscription = model->objectWillChange.sink([] {});
    model.reset();
    EXPECT_TRUE(watch.expired());
    subscription.cancel();
}

TEST(Cancellable, SubscribersMayEndAndAddSubscriptionsFromTheirCallbacks) {
    ObservableObject model;
    Cancellable self, later;
    std::vector<Cancellable> added;
    int selfCalls = 0, laterCalls = 0, addedCalls = 0;
    self = model.objectWillChange.sink([&] {
        ++selfCalls;
        self.cancel();
        later.cancel(); // not called in this same send
        added.push_back(model.objectWillChange.sink([&] { ++addedCalls; }));
    });
    later = model.objectWillChange.sink([&] { ++laterCalls; });
    model.objectWillChange.send(); // the added subscriber joins from the next send on
    model.objectWillChange.send();
    EXPECT_EQ(std::vector({selfCalls, laterCalls, addedCalls}), std::vector({1, 0, 1}));
}

TEST(Cancellable, SubscriptionsComeAndGoOnOtherThreadsWhileSendingAndWhileTheObjectGoes) {
    ObservableObject model;
    std::atomic<int> calls{0};
    auto lasting = model.objectWillChange.sink([&] { ++calls; });
    {
        std::vector<std::jthread> churners;
        for (int t = 0; t < 3; ++t) {
            churners.emplace_back([&](std::stop_token stop) {
                while (!stop.stop_requested()) {
                    auto subscription = model.objectWillChange.sink([&] { ++calls; });
                }
            });
        }
        for (int i = 0; i < 2000; ++i) {
            model.objectWillChange.send();
        }
    }
    EXPECT_GE(calls, 2000);
    for (int round = 0; round < 200; ++round) {
        auto doomed = std::make_shared<ObservableObject>();
        std::vector<Cancellable> subscriptions(8);
        for (auto& subscription : subscriptions) {
            subscription = doomed->objectWillChange.sink([] {});
        }
        std::jthread destroyer([held = std::move(doomed)]() mutable { held.reset(); });
        subscriptions.clear();
    }
}
