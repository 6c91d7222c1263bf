#include "platform/foundation/Clock.h"

#include <gtest/gtest.h>

using namespace platform::foundation;

TEST(Date, ConvertsBetweenReferenceDateAnd1970) {
    auto event = Date::fromTimeIntervalSince1970(1623369600.0);
    EXPECT_DOUBLE_EQ(event.timeIntervalSinceReferenceDate, 1623369600.0 - 978307200.0);
    EXPECT_DOUBLE_EQ(event.timeIntervalSince1970(), 1623369600.0);
    EXPECT_DOUBLE_EQ(event.addingTimeInterval(900).timeIntervalSince(event), 900);
}

TEST(ScopedClock, PinsAndMovesNowThenGivesTheSystemClockBack) {
    auto start = Date::fromTimeIntervalSince1970(1000);
    {
        ScopedClock clock(start);
        EXPECT_EQ(Date::now(), start);
        clock.advance(60);
        EXPECT_EQ(Date::now(), start.addingTimeInterval(60));
    }
    EXPECT_GT(Date::now().timeIntervalSince1970(), 1.6e9);
}
