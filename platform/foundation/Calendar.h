#pragma once

#include "platform/foundation/Date.h"
#include "platform/foundation/Locale.h"
#include "platform/foundation/TimeZone.h"

#include <cstdint>
#include <initializer_list>
#include <optional>

namespace platform::foundation {

// A calendar's fields of a date, or of the distance between two dates. Month is 1-based.
struct DateComponents {
    std::optional<std::int64_t> year;
    std::optional<std::int64_t> month;
    std::optional<std::int64_t> day;
    std::optional<std::int64_t> hour;
    std::optional<std::int64_t> minute;
    std::optional<std::int64_t> second;

    friend bool operator==(const DateComponents&, const DateComponents&) = default;
};

// The Gregorian calendar in one time zone and locale (ICU). A value: copies are independent and
// every operation is const, so one calendar can be used from several threads.
class Calendar {
public:
    enum class Component { year, month, day, hour, minute, second };

    Calendar(TimeZone timeZone, Locale locale);

    // The user's calendar at this moment: TimeZone::current() and Locale::current() read anew.
    static Calendar current();

    const TimeZone& timeZone() const { return timeZone_; }
    const Locale& locale() const { return locale_; }

    // The first existing instant of the local day that holds the date: local midnight, or the
    // end of the gap when the clocks skip midnight (01:00 in America/Sao_Paulo on 2018-11-04).
    Date startOfDay(Date date) const;

    // The fields of the date in this calendar's zone.
    DateComponents dateComponents(std::initializer_list<Component> components, Date date) const;

    // The distance from one date to another in the components asked for, largest first; each
    // smaller one holds what is left, truncated toward zero. Days count calendar dates: between
    // two starts of days the day component is the number of local dates between them, even
    // across a day of 23 or 25 hours. Year and month differences are not computed (left empty).
    DateComponents dateComponents(std::initializer_list<Component> components, Date from,
                                  Date to) const;

    // The instant with these local fields; missing ones are the start (year 1, month 1, day 1,
    // midnight). Fields out of range roll over (month 13 is January of the next year).
    std::optional<Date> date(const DateComponents& components) const;

    // Adds a number of one component. Without wrapping, hours and smaller are elapsed time and
    // larger components keep the local time of day; with wrapping the component rolls within
    // the next larger one (minute 50 + 15 wraps to minute 5 of the same hour). Empty when the
    // value or the result lies outside the calendar's range.
    std::optional<Date> date(Component byAdding, std::int64_t value, Date to,
                             bool wrappingComponents = false) const;

    friend bool operator==(const Calendar&, const Calendar&) = default;

private:
    TimeZone timeZone_;
    Locale locale_;
};

} // namespace platform::foundation
