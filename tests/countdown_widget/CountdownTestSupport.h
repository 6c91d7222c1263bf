#pragma once

#include "platform/foundation/Date.h"

#include <cstdint>
#include <ostream>

namespace countdown_test {

// Days from 1970-01-01 to a proleptic Gregorian date (Howard Hinnant's days_from_civil), so the
// instants in the tables do not come from the calendar under test.
constexpr std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

// A local wall time whose offset from UTC is `utcOffsetHours` at that moment.
struct LocalTime {
    int year;
    unsigned month;
    unsigned day;
    int hour = 0;
    int minute = 0;
    double utcOffsetHours = 0;

    constexpr platform::foundation::Date instant() const {
        const double seconds = static_cast<double>(daysFromCivil(year, month, day)) * 86400.0 +
                               hour * 3600.0 + minute * 60.0 - utcOffsetHours * 3600.0;
        return platform::foundation::Date::fromTimeIntervalSince1970(seconds);
    }
};

inline void PrintTo(const LocalTime& t, std::ostream* out) {
    *out << t.year << '-' << t.month << '-' << t.day << ' ' << t.hour << ':' << t.minute << " UTC"
         << (t.utcOffsetHours < 0 ? "" : "+") << t.utcOffsetHours;
}

static_assert(LocalTime{2021, 6, 11}.instant().timeIntervalSince1970() == 1623369600.0);

} // namespace countdown_test
