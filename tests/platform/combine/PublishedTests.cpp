#include "platform/combine/Published.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

using platform::combine::Cancellable;
using platform::combine::ObservableObject;
using platform::combine::Published;

namespace {

struct VersionModel : ObservableObject {
    Published<std::string> version{*this, "0"};
    Published<int> checks{*this, 0};
};

} // namespace

TEST(Published, ObserversAreToldBeforeTheValueIsStored) {
    auto model = std::make_shared<VersionModel>();
    std::vector<std::string> seen;
    auto subscription = model->objectWillChange.sink([&] { seen.push_back(model->version); });

    model->version = "1.0.0";
    model->version = "1.1";

    EXPECT_EQ(seen, (std::vector<std::string>{"0", "1.0.0"}));
    EXPECT_EQ(model->version.get(), "1.1");
}

TEST(Published, EveryAssignmentOfAnyMemberAnnouncesOnce) {
    auto model = std::make_shared<VersionModel>();
    int announcements = 0;
    auto subscription = model->objectWillChange.sink([&] { ++announcements; });

    model->version = "0"; // the same value still counts: nothing compares
    model->checks = 1;
    model->checks = 2;

    EXPECT_EQ(announcements, 3);
}

TEST(Published, SubscribersAreCalledInTheOrderTheySubscribed) {
    auto model = std::make_shared<VersionModel>();
    std::string order;
    auto first = model->objectWillChange.sink([&] { order += 'a'; });
    auto second = model->objectWillChange.sink([&] { order += 'b'; });
    auto third = model->objectWillChange.sink([&] { order += 'c'; });

    model->checks = 1;
    second.cancel();
    model->checks = 2;

    EXPECT_EQ(order, "abcac");
}
