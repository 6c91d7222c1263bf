#include "platform/foundation/TimeZone.h"

#include <gtest/gtest.h>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

using namespace platform::foundation;

namespace {

TEST(TimeZone, KnowsZonesOfTheTzDataAndRejectsOthers) {
    struct {
        const char* identifier;
        bool known;
    } cases[] = {
        {"Europe/Moscow", true}, {"America/Sao_Paulo", true}, {"Etc/GMT+5", true}, {"UTC", true},
        {"GMT+03:00", true},     {"Mars/Olympus", false},     {"", false}};
    for (const auto& c : cases) {
        EXPECT_EQ(TimeZone::named(c.identifier).has_value(), c.known) << c.identifier;
    }
}

TEST(TimeZone, OffsetFollowsDaylightSaving) {
    auto berlin = TimeZone::named("Europe/Berlin").value();
    EXPECT_EQ(berlin.secondsFromGMT(Date::fromTimeIntervalSince1970(1609459200)), 3600);
    EXPECT_EQ(berlin.secondsFromGMT(Date::fromTimeIntervalSince1970(1623369600)), 7200);
    EXPECT_EQ(TimeZone::named("Etc/GMT+5")->secondsFromGMT(Date{}), -5 * 3600);
}

TEST(ScopedTimeZone, NestsAndGivesBackThePreviousZone) {
    ScopedTimeZone outer("Europe/Moscow");
    {
        ScopedTimeZone inner("America/Bogota");
        EXPECT_EQ(TimeZone::current().identifier(), "America/Bogota");
    }
    EXPECT_EQ(TimeZone::current().identifier(), "Europe/Moscow");
}

TEST(ScopedTimeZone, RefusesAnUnknownZone) {
    EXPECT_THROW(ScopedTimeZone("Europe/Atlantis"), std::invalid_argument);
}

TEST(ScopedTimeZone, IsSeenFromOtherThreads) {
    ScopedTimeZone zone("Asia/Kolkata");
    std::vector<std::string> seen(4);
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < seen.size(); ++i) {
        threads.emplace_back([&seen, i] { seen[i] = TimeZone::current().identifier(); });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(seen, std::vector<std::string>(4, "Asia/Kolkata"));
}

TEST(TimeZoneCurrent, ReadsTzAnewOnEveryCall) {
    const char* saved = std::getenv("TZ");
    std::string savedValue = saved ? saved : "";
    for (const char* zone : {"Asia/Tokyo", "America/Sao_Paulo", "Europe/Moscow"}) {
        setenv("TZ", zone, 1);
        EXPECT_EQ(TimeZone::current().identifier(), zone);
    }
    if (saved) {
        setenv("TZ", savedValue.c_str(), 1);
    } else {
        unsetenv("TZ");
    }
}

} // namespace
