#include "platform/foundation/Calendar.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <unicode/gregocal.h>

namespace platform::foundation {
namespace {

using Millis = double; // ICU's UDate: milliseconds since 1970, whole in everything we hand over

std::optional<Millis> toMillis(Date date) {
    Millis ms = std::floor(date.timeIntervalSince1970() * 1000.0);
    if (!std::isfinite(ms)) {
        return std::nullopt;
    }
    return ms;
}

Date fromMillis(Millis ms) {
    return Date::fromTimeIntervalSince1970(ms / 1000.0);
}

std::optional<std::int32_t> narrow(std::int64_t value) {
    if (value < std::numeric_limits<std::int32_t>::min() ||
        value > std::numeric_limits<std::int32_t>::max()) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(value);
}

UCalendarDateFields icuField(Calendar::Component component) {
    switch (component) {
    case Calendar::Component::year:
        return UCAL_YEAR;
    case Calendar::Component::month:
        return UCAL_MONTH;
    case Calendar::Component::day:
        return UCAL_DATE;
    case Calendar::Component::hour:
        return UCAL_HOUR_OF_DAY;
    case Calendar::Component::minute:
        return UCAL_MINUTE;
    case Calendar::Component::second:
        return UCAL_SECOND;
    }
    return UCAL_SECOND;
}

std::optional<double> secondsPer(Calendar::Component component) {
    switch (component) {
    case Calendar::Component::hour:
        return 3600.0;
    case Calendar::Component::minute:
        return 60.0;
    case Calendar::Component::second:
        return 1.0;
    default:
        return std::nullopt;
    }
}

bool contains(std::initializer_list<Calendar::Component> components, Calendar::Component c) {
    return std::find(components.begin(), components.end(), c) != components.end();
}

// One ICU calendar per operation: icu::Calendar is not safe to share between threads, and
// making one costs microseconds.
class Gregorian {
public:
    Gregorian(const TimeZone& zone, const Locale& locale) {
        UErrorCode status = U_ZERO_ERROR;
        calendar_ = std::make_unique<icu::GregorianCalendar>(
            zone.icuTimeZone(), icu::Locale(locale.identifier().c_str()), status);
        if (U_FAILURE(status)) {
            calendar_.reset();
        }
    }

    explicit operator bool() const { return calendar_ != nullptr; }
    icu::Calendar& operator*() { return *calendar_; }
    icu::Calendar* operator->() { return calendar_.get(); }

    std::optional<std::int32_t> field(Millis at, UCalendarDateFields field) {
        UErrorCode status = U_ZERO_ERROR;
        calendar_->setTime(at, status);
        auto value = calendar_->get(field, status);
        return U_SUCCESS(status) ? std::optional(value) : std::nullopt;
    }

    std::optional<Millis> time() {
        UErrorCode status = U_ZERO_ERROR;
        auto ms = calendar_->getTime(status);
        return U_SUCCESS(status) ? std::optional(ms) : std::nullopt;
    }

    std::optional<Millis> startOfLocalDay(std::int32_t julianDay) {
        // A midnight the clocks skip means the end of the gap, one they repeat its first
        // occurrence: the first instant of the day either way. Elsewhere a skipped local time
        // moves on by the gap (ICU's default), as adding a day to 00:30 before a gap does.
        calendar_->setSkippedWallTimeOption(UCAL_WALLTIME_NEXT_VALID);
        calendar_->setRepeatedWallTimeOption(UCAL_WALLTIME_FIRST);
        calendar_->clear();
        calendar_->set(UCAL_JULIAN_DAY, julianDay);
        auto start = time();
        calendar_->setSkippedWallTimeOption(UCAL_WALLTIME_LAST);
        calendar_->setRepeatedWallTimeOption(UCAL_WALLTIME_LAST);
        return start;
    }

private:
    std::unique_ptr<icu::Calendar> calendar_;
};

// Where an instant falls: its local date as a Julian day and the time since that day began.
struct DayPosition {
    std::int32_t julianDay;
    std::int64_t sinceStartOfDay; // milliseconds
};

std::optional<DayPosition> dayPosition(Gregorian& calendar, Millis at) {
    auto julianDay = calendar.field(at, UCAL_JULIAN_DAY);
    if (!julianDay) {
        return std::nullopt;
    }
    auto start = calendar.startOfLocalDay(*julianDay);
    if (!start) {
        return std::nullopt;
    }
    return DayPosition{*julianDay, static_cast<std::int64_t>(at - *start)};
}

// Whole calendar days from one instant to another: the number of local dates between them,
// less one when the later one is earlier in its day than the first in its own.
std::int64_t wholeDays(const DayPosition& from, const DayPosition& to) {
    std::int64_t days = std::int64_t{to.julianDay} - from.julianDay;
    if (days > 0 && to.sinceStartOfDay < from.sinceStartOfDay) {
        --days;
    } else if (days < 0 && to.sinceStartOfDay > from.sinceStartOfDay) {
        ++days;
    }
    return days;
}

void splitTime(std::initializer_list<Calendar::Component> components, std::int64_t millis,
               DateComponents& result) {
    using C = Calendar::Component;
    if (contains(components, C::hour)) {
        result.hour = millis / 3'600'000;
        millis %= 3'600'000;
    }
    if (contains(components, C::minute)) {
        result.minute = millis / 60'000;
        millis %= 60'000;
    }
    if (contains(components, C::second)) {
        result.second = millis / 1000;
    }
}

} // namespace

Calendar::Calendar(TimeZone timeZone, Locale locale)
    : timeZone_(std::move(timeZone))
    , locale_(std::move(locale)) {}

Calendar Calendar::current() {
    return Calendar(TimeZone::current(), Locale::current());
}

Date Calendar::startOfDay(Date date) const {
    Gregorian calendar(timeZone_, locale_);
    auto at = toMillis(date);
    if (!calendar || !at) {
        return date;
    }
    auto julianDay = calendar.field(*at, UCAL_JULIAN_DAY);
    auto start = julianDay ? calendar.startOfLocalDay(*julianDay) : std::nullopt;
    return start ? fromMillis(*start) : date;
}

DateComponents Calendar::dateComponents(std::initializer_list<Component> components,
                                        Date date) const {
    DateComponents result;
    Gregorian calendar(timeZone_, locale_);
    auto at = toMillis(date);
    if (!calendar || !at) {
        return result;
    }
    auto read = [&](Component component, int offset) -> std::optional<std::int64_t> {
        if (!contains(components, component)) {
            return std::nullopt;
        }
        auto value = calendar.field(*at, icuField(component));
        return value ? std::optional<std::int64_t>(*value + offset) : std::nullopt;
    };
    result.year = read(Component::year, 0);
    result.month = read(Component::month, 1);
    result.day = read(Component::day, 0);
    result.hour = read(Component::hour, 0);
    result.minute = read(Component::minute, 0);
    result.second = read(Component::second, 0);
    return result;
}

DateComponents Calendar::dateComponents(std::initializer_list<Component> components, Date from,
                                        Date to) const {
    DateComponents result;
    auto start = toMillis(from);
    auto end = toMillis(to);
    if (!start || !end) {
        return result;
    }
    auto remainder = static_cast<std::int64_t>(*end - *start);
    if (contains(components, Component::day)) {
        Gregorian calendar(timeZone_, locale_);
        if (!calendar) {
            return result;
        }
        auto fromDay = dayPosition(calendar, *start);
        auto toDay = dayPosition(calendar, *end);
        if (!fromDay || !toDay) {
            return result;
        }
        auto days = wholeDays(*fromDay, *toDay);
        auto landing = narrow(fromDay->julianDay + days);
        auto landingStart = landing ? calendar.startOfLocalDay(*landing) : std::nullopt;
        if (!landingStart) {
            return result;
        }
        result.day = days;
        remainder = static_cast<std::int64_t>(*end - (*landingStart + fromDay->sinceStartOfDay));
    }
    splitTime(components, remainder, result);
    return result;
}

std::optional<Date> Calendar::date(const DateComponents& components) const {
    Gregorian calendar(timeZone_, locale_);
    if (!calendar) {
        return std::nullopt;
    }
    calendar->clear();
    auto set = [&](UCalendarDateFields field, std::optional<std::int64_t> value,
                   std::int64_t fallback, std::int64_t offset) {
        auto narrowed = narrow(value.value_or(fallback) + offset);
        if (narrowed) {
            calendar->set(field, *narrowed);
        }
        return narrowed.has_value();
    };
    bool inRange =
        set(UCAL_YEAR, components.year, 1, 0) && set(UCAL_MONTH, components.month, 1, -1) &&
        set(UCAL_DATE, components.day, 1, 0) && set(UCAL_HOUR_OF_DAY, components.hour, 0, 0) &&
        set(UCAL_MINUTE, components.minute, 0, 0) && set(UCAL_SECOND, components.second, 0, 0);
    if (!inRange) {
        return std::nullopt;
    }
    auto ms = calendar.time();
    return ms ? std::optional(fromMillis(*ms)) : std::nullopt;
}

std::optional<Date> Calendar::date(Component byAdding, std::int64_t value, Date to,
                                   bool wrappingComponents) const {
    if (auto unit = secondsPer(byAdding); unit && !wrappingComponents) {
        // Elapsed time: exact on the Date itself, so now + 15 minutes is 900 s after now.
        auto result = to.addingTimeInterval(static_cast<double>(value) * *unit);
        return std::isfinite(result.timeIntervalSinceReferenceDate) ? std::optional(result)
                                                                    : std::nullopt;
    }
    auto amount = narrow(value);
    auto at = toMillis(to);
    Gregorian calendar(timeZone_, locale_);
    if (!amount || !at || !calendar) {
        return std::nullopt;
    }
    UErrorCode status = U_ZERO_ERROR;
    calendar->setTime(*at, status);
    if (wrappingComponents) {
        calendar->roll(icuField(byAdding), *amount, status);
    } else {
        calendar->add(icuField(byAdding), *amount, status);
    }
    auto ms = U_SUCCESS(status) ? calendar.time() : std::nullopt;
    if (!ms) {
        return std::nullopt;
    }
    // Keep the part of a second below ICU's millisecond.
    double belowMillis = to.timeIntervalSince1970() - *at / 1000.0;
    return Date::fromTimeIntervalSince1970(*ms / 1000.0 + belowMillis);
}

} // namespace platform::foundation
