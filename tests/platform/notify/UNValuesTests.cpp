#include "platform/notify/UNAuthorizationOptions.h"
#include "platform/notify/UNError.h"
#include "platform/notify/UNTimeIntervalNotificationTrigger.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

using namespace platform::notify;

TEST(UNAuthorizationOptions, AlertSoundBadgeIsSeven) {
    UNAuthorizationOptions options{UNAuthorizationOptions::alert, UNAuthorizationOptions::sound,
                                   UNAuthorizationOptions::badge};
    EXPECT_EQ(options.rawValue(), 7u);
    EXPECT_TRUE(options.contains(UNAuthorizationOptions::sound));
    EXPECT_FALSE(UNAuthorizationOptions{UNAuthorizationOptions::alert}.contains(
        UNAuthorizationOptions::badge));
}

TEST(UNTimeIntervalNotificationTrigger, AcceptsOnlyIntervalsThatCanFire) {
    constexpr double nan = std::numeric_limits<double>::quiet_NaN();
    constexpr double inf = std::numeric_limits<double>::infinity();
    struct Case {
        double interval;
        bool repeats;
        bool valid;
    } cases[] = {{5.0, false, true},  {0.001, false, true}, {0, false, false},
                 {-1, false, false},  {nan, false, false},  {inf, false, false},
                 {59.9, true, false}, {60, true, true},     {3600, true, true}};
    for (auto c : cases) {
        EXPECT_EQ(UNTimeIntervalNotificationTrigger(c.interval, c.repeats).isValid(), c.valid)
            << c.interval << (c.repeats ? " repeating" : "");
    }
}

TEST(UNError, DescriptionsReadAsSentencesWithTheReason) {
    EXPECT_EQ(
        (UNError{UNError::Code::serverUnavailable, "The name is not owned"}).localizedDescription(),
        "No notification server answered on the session bus: The name is not owned");
    EXPECT_EQ((UNError{UNError::Code::busUnavailable, ""}).localizedDescription(),
              "The session bus is not available");
}
