#pragma once

#include "platform/foundation/Date.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unicode/uversion.h>

U_NAMESPACE_BEGIN
class TimeZone;
U_NAMESPACE_END

namespace platform::foundation {

// A time zone: an identifier and the rules behind it (ICU's tz data). An immutable value, cheap to
// copy and safe to share between threads.
class TimeZone {
public:
    // The user's zone as it is now: a ScopedTimeZone if one is alive, else the host's (TZ, then
    // /etc/localtime), detected anew on each call so a change made while running is seen.
    static TimeZone current();
    // A zone known to the tz data ("Europe/Moscow", "UTC", "GMT+03:00"); nullopt otherwise.
    static std::optional<TimeZone> named(std::string_view identifier);
    static TimeZone gmt();

    const std::string& identifier() const { return identifier_; }
    // Offset from GMT in effect at the instant, daylight saving included.
    int secondsFromGMT(Date date) const;

    // For platform code that calls ICU itself.
    const icu::TimeZone& icuTimeZone() const { return *rules_; }

    friend bool operator==(const TimeZone& a, const TimeZone& b);

private:
    explicit TimeZone(std::shared_ptr<const icu::TimeZone> rules);

    std::shared_ptr<const icu::TimeZone> rules_;
    std::string identifier_;
};

// Test seam: while alive, TimeZone::current() is this zone on every thread. Nests: the innermost
// live one wins, and ending it gives back the one before.
class ScopedTimeZone {
public:
    explicit ScopedTimeZone(TimeZone zone);
    // Throws std::invalid_argument for an identifier the tz data does not know.
    explicit ScopedTimeZone(std::string_view identifier);
    ~ScopedTimeZone();
    ScopedTimeZone(const ScopedTimeZone&) = delete;
    ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

private:
    std::optional<TimeZone> previous_;
};

} // namespace platform::foundation
