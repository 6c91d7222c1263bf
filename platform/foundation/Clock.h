#pragma once

#include "platform/foundation/Date.h"

namespace platform::foundation {

// The wall clock behind Date::now(). Tests pin and move it with ScopedClock, so no test sleeps.
namespace clock {
Date systemNow();
} // namespace clock

// While alive, Date::now() returns this clock's time on every thread. Not nestable.
class ScopedClock {
public:
    explicit ScopedClock(Date start);
    ~ScopedClock();
    ScopedClock(const ScopedClock&) = delete;
    ScopedClock& operator=(const ScopedClock&) = delete;

    void set(Date date);
    void advance(double seconds);
    Date now() const;
};

} // namespace platform::foundation
