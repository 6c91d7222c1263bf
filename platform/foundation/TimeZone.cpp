#include "platform/foundation/TimeZone.h"

#include <mutex>
#include <stdexcept>
#include <unicode/timezone.h>
#include <unicode/ucal.h>
#include <utility>

namespace platform::foundation {
namespace {

struct Seam {
    std::mutex lock;
    std::optional<TimeZone> zone;
};

Seam& seam() {
    static Seam instance;
    return instance;
}

std::string utf8(const icu::UnicodeString& text) {
    std::string out;
    text.toUTF8String(out);
    return out;
}

// ICU's host detection keeps static buffers and is not thread-safe on its own.
std::unique_ptr<icu::TimeZone> detectHostZone() {
    static std::mutex detecting;
    std::lock_guard guard(detecting);
    return std::unique_ptr<icu::TimeZone>(icu::TimeZone::detectHostTimeZone());
}

} // namespace

TimeZone::TimeZone(std::shared_ptr<const icu::TimeZone> rules)
    : rules_(std::move(rules)) {
    icu::UnicodeString id;
    identifier_ = utf8(rules_->getID(id));
}

TimeZone TimeZone::current() {
    {
        std::lock_guard guard(seam().lock);
        if (seam().zone) {
            return *seam().zone;
        }
    }
    // An empty or unreadable TZ means UTC to the C library; ICU calls it Etc/Unknown.
    auto host = detectHostZone();
    icu::UnicodeString id;
    if (!host || host->getID(id) == icu::UnicodeString(UCAL_UNKNOWN_ZONE_ID)) {
        return gmt();
    }
    return TimeZone(std::move(host));
}

std::optional<TimeZone> TimeZone::named(std::string_view identifier) {
    auto id = icu::UnicodeString::fromUTF8(icu::StringPiece(identifier.data(), identifier.size()));
    std::unique_ptr<icu::TimeZone> zone(icu::TimeZone::createTimeZone(id));
    icu::UnicodeString resolved;
    if (!zone || zone->getID(resolved) == icu::UnicodeString(UCAL_UNKNOWN_ZONE_ID)) {
        return std::nullopt;
    }
    return TimeZone(std::move(zone));
}

TimeZone TimeZone::gmt() {
    return TimeZone(std::shared_ptr<const icu::TimeZone>(icu::TimeZone::getGMT()->clone()));
}

int TimeZone::secondsFromGMT(Date date) const {
    UErrorCode status = U_ZERO_ERROR;
    int32_t raw = 0;
    int32_t daylight = 0;
    rules_->getOffset(date.timeIntervalSince1970() * 1000.0, false, raw, daylight, status);
    return U_SUCCESS(status) ? (raw + daylight) / 1000 : 0;
}

bool operator==(const TimeZone& a, const TimeZone& b) {
    return a.identifier_ == b.identifier_ && a.rules_->hasSameRules(*b.rules_);
}

ScopedTimeZone::ScopedTimeZone(TimeZone zone) {
    std::lock_guard guard(seam().lock);
    previous_ = std::exchange(seam().zone, std::move(zone));
}

ScopedTimeZone::ScopedTimeZone(std::string_view identifier) {
    auto zone = TimeZone::named(identifier);
    if (!zone) {
        throw std::invalid_argument("unknown time zone: " + std::string(identifier));
    }
    std::lock_guard guard(seam().lock);
    previous_ = std::exchange(seam().zone, std::move(*zone));
}

ScopedTimeZone::~ScopedTimeZone() {
    std::lock_guard guard(seam().lock);
    seam().zone = std::move(previous_);
}

} // namespace platform::foundation
