#pragma once

#include <compare>

namespace platform::foundation {

// An instant: seconds since 2001-01-01 00:00:00 UTC, as the platform counts them.
// A default-constructed Date is the reference date itself; Date::now() reads the clock.
struct Date {
    static constexpr double referenceDateSince1970 = 978307200.0;

    double timeIntervalSinceReferenceDate = 0;

    static Date now();
    static constexpr Date fromTimeIntervalSince1970(double seconds) {
        return Date{seconds - referenceDateSince1970};
    }

    constexpr double timeIntervalSince1970() const {
        return timeIntervalSinceReferenceDate + referenceDateSince1970;
    }
    constexpr double timeIntervalSince(Date other) const {
        return timeIntervalSinceReferenceDate - other.timeIntervalSinceReferenceDate;
    }
    constexpr Date addingTimeInterval(double seconds) const {
        return Date{timeIntervalSinceReferenceDate + seconds};
    }

    friend constexpr auto operator<=>(Date, Date) = default;
    friend constexpr bool operator==(Date, Date) = default;
};

} // namespace platform::foundation
