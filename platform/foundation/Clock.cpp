#include "platform/foundation/Clock.h"

#include <atomic>
#include <cassert>
#include <chrono>

namespace platform::foundation {
namespace {

// Test seam: set only by ScopedClock. The double is stored as its bits so readers on other
// threads never see a torn value.
std::atomic<bool> overridden{false};
std::atomic<double> overrideTime{0};

} // namespace

Date clock::systemNow() {
    using namespace std::chrono;
    auto sinceEpoch = duration<double>(system_clock::now().time_since_epoch()).count();
    return Date::fromTimeIntervalSince1970(sinceEpoch);
}

Date Date::now() {
    if (overridden.load(std::memory_order_acquire)) {
        return Date{overrideTime.load(std::memory_order_acquire)};
    }
    return clock::systemNow();
}

ScopedClock::ScopedClock(Date start) {
    assert(!overridden.load() && "ScopedClock does not nest");
    overrideTime.store(start.timeIntervalSinceReferenceDate, std::memory_order_release);
    overridden.store(true, std::memory_order_release);
}

ScopedClock::~ScopedClock() { overridden.store(false, std::memory_order_release); }

void ScopedClock::set(Date date) {
    overrideTime.store(date.timeIntervalSinceReferenceDate, std::memory_order_release);
}

void ScopedClock::advance(double seconds) { set(now().addingTimeInterval(seconds)); }

Date ScopedClock::now() const { return Date{overrideTime.load(std::memory_order_acquire)}; }

} // namespace platform::foundation
