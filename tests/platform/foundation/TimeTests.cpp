#include "platform/foundation/Calendar.h"
#include "platform/foundation/Clock.h"
#include "tests/support/ScopedEnv.h"

#include <cmath>
#include <cstdio>
#include <gtest/gtest.h>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

using namespace platform::foundation;
using trelvo::test::ScopedEnv;
using C = Calendar::Component;

static Calendar in(const char* zone) {
    return Calendar(TimeZone::named(zone).value(), Locale("en_US"));
}

// Local times read and written as "2021-06-10 23:30".
static Date at(const char* zone, const char* local) {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0;
    std::sscanf(local, "%d-%d-%d %d:%d", &year, &month, &day, &hour, &minute);
    return in(zone).date({year, month, day, hour, minute, 0}).value();
}

static std::string local(const char* zone, Date date) {
    auto f = in(zone).dateComponents({C::year, C::month, C::day, C::hour, C::minute}, date);
    char text[40];
    std::snprintf(text, sizeof text, "%ld-%02ld-%02ld %02ld:%02ld", *f.year, *f.month, *f.day,
                  *f.hour, *f.minute);
    return text;
}

// The countdown's event: 2021-06-11 00:00 UTC.
const Date event = Date::fromTimeIntervalSince1970(1623369600);

TEST(Calendar, DaysUntilTheEventCountLocalDatesAcrossShortAndLongDays) {
    // clang-format off
    const std::tuple<const char*, const char*, std::int64_t> cases[] = {
        {"Europe/Moscow", "2021-06-10 00:00", 1}, {"Europe/Moscow", "2021-06-10 23:59", 1},
        {"Europe/Moscow", "2021-06-11 02:59", 0}, // still the 10th in UTC
        {"Europe/Moscow", "2021-06-11 23:00", 0}, {"Europe/Moscow", "2021-06-12 12:00", -1},
        {"Europe/Moscow", "2022-06-11 12:00", -365},
        {"America/Bogota", "2021-06-10 08:00", 0}, {"America/Bogota", "2021-06-10 23:59", 0},
        {"America/Bogota", "2021-06-09 12:00", 1}, {"America/Bogota", "2021-06-11 00:00", -1},
        {"Etc/GMT+5", "2021-06-09 23:00", 1}, {"UTC", "2021-06-01 23:59", 10},
        {"UTC", "2021-06-01 00:00", 10}, {"Europe/Berlin", "2021-03-27 09:00", 76}, // a 23-hour day
        {"Europe/Berlin", "2021-03-28 09:00", 75},
        {"Europe/Berlin", "2020-10-31 09:00", 223}, // over a day of 25 hours
        {"America/Sao_Paulo", "2018-11-04 12:00", 949}, // a day that began at 01:00
        {"America/Sao_Paulo", "2018-11-03 12:00", 950}};
    // clang-format on
    for (const auto& [zone, today, days] : cases) {
        SCOPED_TRACE(std::string(zone) + " " + today);
        ScopedTimeZone scoped(zone);
        const auto calendar = Calendar::current();
        const auto start = calendar.startOfDay(at(zone, today));
        EXPECT_EQ(calendar.dateComponents({C::day}, start, calendar.startOfDay(event)).day, days);
    }
}

TEST(Calendar, StartOfDayIsTheFirstExistingInstantOfTheLocalDay) {
    // clang-format off
    const std::tuple<const char*, const char*, double> cases[] = {
        {"Europe/Moscow", "2021-06-11 02:59", 1623358800},
        {"Europe/Moscow", "2021-06-11 00:00", 1623358800},
        {"America/Bogota", "2021-06-10 19:00", 1623301200},
        {"America/Sao_Paulo", "2018-11-04 12:00", 1541300400}, // 00:00 skipped to 01:00
        {"America/Sao_Paulo", "2018-11-04 01:00", 1541300400},
        {"America/Sao_Paulo", "2018-11-05 00:30", 1541383200},
        {"America/Havana", "2021-03-14 12:00", 1615698000},
        {"America/Havana", "2021-11-07 12:00", 1636257600}, // 01:00 back to 00:00: the first one
        {"Europe/Berlin", "2021-03-28 12:00", 1616886000}};
    // clang-format on
    for (const auto& [zone, during, since1970] : cases) {
        SCOPED_TRACE(std::string(zone) + " " + during);
        EXPECT_EQ(in(zone).startOfDay(at(zone, during)).timeIntervalSince1970(), since1970);
    }
}

TEST(Calendar, PartDaysGoToTheSmallerComponents) {
    const char* zone = "Europe/Moscow";
    // clang-format off
    const std::tuple<const char*, const char*, DateComponents> cases[] = {
        {"2021-06-10 10:00", "2021-06-11 09:00", {.day = 0, .hour = 23, .minute = 0}},
        {"2021-06-10 10:00", "2021-06-12 12:45", {.day = 2, .hour = 2, .minute = 45}},
        {"2021-06-12 12:45", "2021-06-10 10:00", {.day = -2, .hour = -2, .minute = -45}},
        {"2021-06-10 23:30", "2021-06-11 00:15", {.day = 0, .hour = 0, .minute = 45}}};
    // clang-format on
    for (const auto& [from, to, expected] : cases) {
        auto parts =
            in(zone).dateComponents({C::day, C::hour, C::minute}, at(zone, from), at(zone, to));
        EXPECT_EQ(parts, expected) << from << " to " << to;
    }
    EXPECT_EQ(in(zone).dateComponents({C::minute}, at(zone, "2021-06-10 10:00"),
                                      at(zone, "2021-06-11 10:15")),
              DateComponents{.minute = 1455});
}

TEST(Calendar, AddingKeepsElapsedTimeOrTheTimeOfDayOrWraps) {
    // clang-format off
    const std::tuple<const char*, const char*, C, int, bool, const char*> cases[] = {
        {"Europe/Moscow", "2021-06-10 23:30", C::hour, 1, false, "2021-06-11 00:30"},
        {"Europe/Moscow", "2021-06-10 10:00", C::minute, 15, false, "2021-06-10 10:15"},
        {"Europe/Moscow", "2021-12-31 23:50", C::minute, 15, false, "2022-01-01 00:05"},
        {"Europe/Moscow", "2021-06-10 10:50", C::minute, 15, true, "2021-06-10 10:05"},
        {"Europe/Moscow", "2021-06-10 23:30", C::hour, 1, true, "2021-06-10 00:30"},
        // Hours are elapsed time: 01:30 + 1 h is 03:30 on the morning the clocks skip 02:00;
        // days and months keep the local time of day.
        {"Europe/Berlin", "2021-03-28 01:30", C::hour, 1, false, "2021-03-28 03:30"},
        {"Europe/Berlin", "2021-03-27 12:00", C::day, 1, false, "2021-03-28 12:00"},
        {"Europe/Berlin", "2021-01-31 12:00", C::month, 1, false, "2021-02-28 12:00"},
        {"UTC", "2021-06-30 12:00", C::day, 1, true, "2021-06-01 12:00"}};
    // clang-format on
    for (const auto& [zone, start, component, value, wrapping, expected] : cases) {
        auto result = in(zone).date(component, value, at(zone, start), wrapping);
        EXPECT_EQ(result ? local(zone, *result) : "none", expected) << zone << " " << start;
    }
    // Exact to below a millisecond: now + 15 minutes is 900 s after now.
    const Date now{645123456.789012};
    EXPECT_EQ(in("UTC").date(C::minute, 15, now).value().timeIntervalSince(now), 900.0);
    EXPECT_NEAR(in("UTC").date(C::day, 1, now).value().timeIntervalSince(now), 86400.0, 1e-6);
    EXPECT_FALSE(in("UTC").date(C::day, std::int64_t{1} << 40, Date{}));
    EXPECT_FALSE(in("UTC").date(C::hour, 1, Date{std::nan("")}));
}

TEST(TimeZone, TheUsersZoneIsTheInnermostOverrideElseTzReadAnew) {
    EXPECT_FALSE(TimeZone::named("Mars/Olympus"));
    EXPECT_THROW(ScopedTimeZone("Europe/Atlantis"), std::invalid_argument);
    ScopedEnv tokyo("TZ", "Asia/Tokyo");
    EXPECT_EQ(Calendar::current().timeZone().identifier(), "Asia/Tokyo");
    {
        ScopedTimeZone outer("Europe/Moscow");
        {
            ScopedTimeZone inner("Etc/GMT+5");
            std::optional<TimeZone> seen;
            std::thread([&] { seen = TimeZone::current(); }).join();
            EXPECT_EQ(seen->secondsFromGMT(event), -5 * 3600);
        }
        EXPECT_EQ(Calendar::current().timeZone().identifier(), "Europe/Moscow");
    }
    ScopedEnv berlin("TZ", "Europe/Berlin");
    const auto calendar = Calendar::current();
    EXPECT_EQ(calendar.timeZone().secondsFromGMT(event), 7200); // summer time
    EXPECT_EQ(calendar.timeZone().secondsFromGMT(Date{}), 3600);
    EXPECT_EQ(calendar.startOfDay(event).timeIntervalSince1970(), 1623362400);
}

TEST(ClockObservers, HearEveryJumpUntilTheirSubscriptionEnds) {
    EXPECT_EQ(event.timeIntervalSinceReferenceDate, 645062400); // counted from 2001
    ScopedClock clock(Date{1000});
    std::vector<Date> seen;
    int onceCalls = 0;
    std::optional<clock::Subscription> once;
    once = clock::observeChanges([&] {
        ++onceCalls;
        once->cancel();
    }); // ends itself
    {
        clock::Subscription kept;
        {
            auto subscription = clock::observeChanges([&] { seen.push_back(Date::now()); });
            kept = std::move(subscription); // the moved-from handle ends nothing
        }
        clock.advance(60);
        clock.set(Date{5000});
    }
    clock.advance(60);
    EXPECT_EQ(seen, (std::vector{Date{1060}, Date{5000}}));
    EXPECT_EQ(onceCalls, 1);
}
