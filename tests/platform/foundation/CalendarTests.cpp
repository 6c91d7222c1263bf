#include "platform/foundation/Calendar.h"

#include <cmath>
#include <cstdlib>
#include <gtest/gtest.h>
#include <ostream>
#include <string>

using namespace platform::foundation;
using Component = Calendar::Component;

namespace {

Calendar calendarIn(const std::string& zone) {
    return Calendar(TimeZone::named(zone).value(), Locale("en_US"));
}

struct LocalTime {
    int year, month, day, hour = 0, minute = 0;
};

std::ostream& operator<<(std::ostream& os, const LocalTime& t) {
    return os << t.year << "-" << t.month << "-" << t.day << "T" << t.hour << ":" << t.minute;
}

Date at(const std::string& zone, LocalTime t) {
    return calendarIn(zone)
        .date(DateComponents{t.year, t.month, t.day, t.hour, t.minute, 0})
        .value();
}

DateComponents localFields(const std::string& zone, Date date) {
    return calendarIn(zone).dateComponents(
        {Component::year, Component::month, Component::day, Component::hour, Component::minute},
        date);
}

// The countdown's question: whole days from the start of today to the start of the event day.
const Date eventDate = Date::fromTimeIntervalSince1970(1623369600.0); // 2021-06-11 00:00 UTC

struct CountdownCase {
    const char* zone;
    LocalTime today;
    std::int64_t daysUntil;
};

void PrintTo(const CountdownCase& c, std::ostream* os) {
    *os << c.zone << " " << c.today;
}

class DaysUntilEvent : public testing::TestWithParam<CountdownCase> {};

TEST_P(DaysUntilEvent, CountsCalendarDaysBetweenLocalDates) {
    const auto& c = GetParam();
    ScopedTimeZone zone(c.zone);
    auto calendar = Calendar::current();
    auto today = calendar.startOfDay(at(c.zone, c.today));
    auto eventDay = calendar.startOfDay(eventDate);
    EXPECT_EQ(calendar.dateComponents({Component::day}, today, eventDay).day, c.daysUntil);
}

INSTANTIATE_TEST_SUITE_P(
    Zones, DaysUntilEvent,
    testing::Values(CountdownCase{"Europe/Moscow", {2021, 6, 10, 0, 0}, 1},
                    CountdownCase{"Europe/Moscow", {2021, 6, 10, 23, 59}, 1},
                    CountdownCase{"Europe/Moscow", {2021, 6, 11, 2, 59}, 0},
                    CountdownCase{"Europe/Moscow", {2021, 6, 11, 23, 0}, 0},
                    CountdownCase{"Europe/Moscow", {2021, 6, 12, 12, 0}, -1},
                    CountdownCase{"Europe/Moscow", {2022, 6, 11, 12, 0}, -365},
                    CountdownCase{"America/Bogota", {2021, 6, 10, 8, 0}, 0},
                    CountdownCase{"America/Bogota", {2021, 6, 10, 23, 59}, 0},
                    CountdownCase{"America/Bogota", {2021, 6, 9, 12, 0}, 1},
                    CountdownCase{"America/Bogota", {2021, 6, 11, 0, 0}, -1},
                    CountdownCase{"Etc/GMT+5", {2021, 6, 9, 23, 0}, 1},
                    CountdownCase{"UTC", {2021, 6, 1, 23, 59}, 10},
                    CountdownCase{"UTC", {2021, 6, 1, 0, 0}, 10},
                    // Spring forward on 28 March: a 23-hour day in the range.
                    CountdownCase{"Europe/Berlin", {2021, 3, 27, 9, 0}, 76},
                    CountdownCase{"Europe/Berlin", {2021, 3, 28, 9, 0}, 75},
                    // Fall back on 31 October: a 25-hour day.
                    CountdownCase{"Europe/Berlin", {2020, 10, 31, 9, 0}, 223},
                    // Sao Paulo's 4 November 2018 began at 01:00 and lasted 23 hours.
                    CountdownCase{"America/Sao_Paulo", {2018, 11, 4, 12, 0}, 949},
                    CountdownCase{"America/Sao_Paulo", {2018, 11, 3, 12, 0}, 950}));

struct StartOfDayCase {
    const char* zone;
    LocalTime during;
    double expectedSince1970;
};

void PrintTo(const StartOfDayCase& c, std::ostream* os) {
    *os << c.zone << " " << c.during;
}

class StartOfDay : public testing::TestWithParam<StartOfDayCase> {};

TEST_P(StartOfDay, IsTheFirstExistingInstantOfTheLocalDay) {
    const auto& c = GetParam();
    auto start = calendarIn(c.zone).startOfDay(at(c.zone, c.during));
    EXPECT_EQ(start.timeIntervalSince1970(), c.expectedSince1970);
}

INSTANTIATE_TEST_SUITE_P(
    Zones, StartOfDay,
    testing::Values(StartOfDayCase{"Europe/Moscow", {2021, 6, 11, 2, 59}, 1623358800},
                    StartOfDayCase{"Europe/Moscow", {2021, 6, 11, 0, 0}, 1623358800},
                    StartOfDayCase{"America/Bogota", {2021, 6, 10, 19, 0}, 1623301200},
                    // Clocks skip from 00:00 to 01:00 local (03:00 UTC).
                    StartOfDayCase{"America/Sao_Paulo", {2018, 11, 4, 12, 0}, 1541300400},
                    StartOfDayCase{"America/Sao_Paulo", {2018, 11, 4, 1, 0}, 1541300400},
                    StartOfDayCase{"America/Sao_Paulo", {2018, 11, 5, 0, 30}, 1541383200},
                    StartOfDayCase{"America/Havana", {2021, 3, 14, 12, 0}, 1615698000},
                    // Clocks go back from 01:00 to 00:00: the day starts at the first midnight.
                    StartOfDayCase{"America/Havana", {2021, 11, 7, 12, 0}, 1636257600},
                    StartOfDayCase{"Europe/Berlin", {2021, 3, 28, 12, 0}, 1616886000}));

TEST(CalendarDayDifference, SaoPauloShortDayStillCountsAsOne) {
    const std::string zone = "America/Sao_Paulo";
    auto calendar = calendarIn(zone);
    auto gapDay = calendar.startOfDay(at(zone, {2018, 11, 4, 12}));
    struct {
        LocalTime later;
        std::int64_t days;
    } cases[] = {{{2018, 11, 5, 0}, 1}, {{2018, 11, 10, 0}, 6}, {{2018, 11, 3, 0}, -1}};
    for (const auto& c : cases) {
        auto other = calendar.startOfDay(at(zone, c.later));
        EXPECT_EQ(calendar.dateComponents({Component::day}, gapDay, other).day, c.days);
        EXPECT_EQ(calendar.dateComponents({Component::day}, other, gapDay).day, -c.days);
    }
}

TEST(CalendarDayDifference, PartDaysAreNotCountedAndTheRestGoesToSmallerComponents) {
    const std::string zone = "Europe/Moscow";
    auto calendar = calendarIn(zone);
    struct {
        LocalTime from, to;
        DateComponents expected;
    } cases[] = {
        {{2021, 6, 10, 10, 0}, {2021, 6, 11, 9, 0}, {.day = 0, .hour = 23, .minute = 0}},
        {{2021, 6, 10, 10, 0}, {2021, 6, 12, 12, 45}, {.day = 2, .hour = 2, .minute = 45}},
        {{2021, 6, 12, 12, 45}, {2021, 6, 10, 10, 0}, {.day = -2, .hour = -2, .minute = -45}},
        {{2021, 6, 10, 23, 30}, {2021, 6, 11, 0, 15}, {.day = 0, .hour = 0, .minute = 45}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(calendar.dateComponents({Component::day, Component::hour, Component::minute},
                                          at(zone, c.from), at(zone, c.to)),
                  c.expected);
    }
    EXPECT_EQ(calendar
                  .dateComponents({Component::minute}, at(zone, {2021, 6, 10, 10, 0}),
                                  at(zone, {2021, 6, 11, 10, 15}))
                  .minute,
              1455);
}

struct AddingCase {
    const char* zone;
    LocalTime start;
    Component component;
    std::int64_t value;
    bool wrapping;
    LocalTime expected;
};

void PrintTo(const AddingCase& c, std::ostream* os) {
    *os << c.zone << " " << c.start << " + " << c.value << " of " << static_cast<int>(c.component)
        << (c.wrapping ? " wrapping" : "");
}

class DateByAdding : public testing::TestWithParam<AddingCase> {};

TEST_P(DateByAdding, LandsOnTheExpectedLocalTime) {
    const auto& c = GetParam();
    auto result = calendarIn(c.zone).date(c.component, c.value, at(c.zone, c.start), c.wrapping);
    ASSERT_TRUE(result);
    auto fields = localFields(c.zone, *result);
    EXPECT_EQ(fields, (DateComponents{c.expected.year, c.expected.month, c.expected.day,
                                      c.expected.hour, c.expected.minute, std::nullopt}));
}

INSTANTIATE_TEST_SUITE_P(
    Components, DateByAdding,
    testing::Values(
        AddingCase{"Europe/Moscow",
                   {2021, 6, 10, 23, 30},
                   Component::hour,
                   1,
                   false,
                   {2021, 6, 11, 0, 30}},
        AddingCase{"Europe/Moscow",
                   {2021, 6, 10, 10, 0},
                   Component::minute,
                   15,
                   false,
                   {2021, 6, 10, 10, 15}},
        AddingCase{"Europe/Moscow",
                   {2021, 12, 31, 23, 50},
                   Component::minute,
                   15,
                   false,
                   {2022, 1, 1, 0, 5}},
        AddingCase{"Europe/Moscow",
                   {2021, 6, 10, 10, 50},
                   Component::minute,
                   15,
                   true,
                   {2021, 6, 10, 10, 5}},
        AddingCase{
            "Europe/Moscow", {2021, 6, 10, 23, 30}, Component::hour, 1, true, {2021, 6, 10, 0, 30}},
        // Hours are elapsed time: 01:30 + 1 h is 03:30 on the morning the clocks skip 02:00.
        AddingCase{
            "Europe/Berlin", {2021, 3, 28, 1, 30}, Component::hour, 1, false, {2021, 3, 28, 3, 30}},
        // Days keep the local time of day across the change.
        AddingCase{
            "Europe/Berlin", {2021, 3, 27, 12, 0}, Component::day, 1, false, {2021, 3, 28, 12, 0}},
        AddingCase{"Europe/Berlin",
                   {2021, 1, 31, 12, 0},
                   Component::month,
                   1,
                   false,
                   {2021, 2, 28, 12, 0}},
        AddingCase{"UTC", {2021, 6, 30, 12, 0}, Component::day, 1, true, {2021, 6, 1, 12, 0}}));

TEST(DateByAdding, FifteenMinutesIsExactlyNineHundredSeconds) {
    auto now = Date{645123456.789012};
    auto later = calendarIn("Europe/Moscow").date(Component::minute, 15, now);
    ASSERT_TRUE(later);
    EXPECT_EQ(later->timeIntervalSince(now), 900.0);
    auto tomorrow = calendarIn("Europe/Moscow").date(Component::day, 1, now);
    ASSERT_TRUE(tomorrow);
    EXPECT_NEAR(tomorrow->timeIntervalSince(now), 86400.0, 1e-6);
}

TEST(DateByAdding, ValuesBeyondTheCalendarsRangeGiveNoDate) {
    auto calendar = calendarIn("UTC");
    EXPECT_FALSE(calendar.date(Component::day, std::int64_t{1} << 40, Date{}));
    EXPECT_FALSE(calendar.date(Component::hour, 1, Date{std::nan("")}));
}

TEST(CalendarCurrent, FollowsTheSeamThenTheEnvironmentOnEveryCall) {
    const char* saved = std::getenv("TZ");
    std::string savedValue = saved ? saved : "";
    setenv("TZ", "Asia/Tokyo", 1);
    EXPECT_EQ(Calendar::current().timeZone().identifier(), "Asia/Tokyo");
    {
        ScopedTimeZone zone("America/Sao_Paulo");
        EXPECT_EQ(Calendar::current().timeZone().identifier(), "America/Sao_Paulo");
    }
    setenv("TZ", "Europe/Berlin", 1);
    auto calendar = Calendar::current();
    EXPECT_EQ(calendar.timeZone().identifier(), "Europe/Berlin");
    EXPECT_EQ(calendar.startOfDay(eventDate).timeIntervalSince1970(), 1623362400.0);
    if (saved) {
        setenv("TZ", savedValue.c_str(), 1);
    } else {
        unsetenv("TZ");
    }
}

} // namespace
