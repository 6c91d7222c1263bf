#pragma once

#include "platform/foundation/Date.h"

#include <functional>
#include <memory>

namespace platform::foundation {

// The wall clock behind Date::now(). Tests pin and move it with ScopedClock, so no test sleeps.
namespace clock {
Date systemNow();

// Keeps an observer registered while alive. Once the destructor returns, the observer is not
// running on any other thread and will not be called again.
class Subscription {
public:
    struct Entry;

    Subscription() = default;
    explicit Subscription(std::shared_ptr<Entry> entry);
    ~Subscription();
    Subscription(Subscription&& other) noexcept;
    Subscription& operator=(Subscription&& other) noexcept;
    Subscription(const Subscription&) = delete;
    Subscription& operator=(const Subscription&) = delete;

    void cancel();

private:
    std::shared_ptr<Entry> entry_;
};

// Calls the observer after each jump of the test clock (ScopedClock::set and advance), on the
// thread that moved it. The system clock's own jumps are the widget host's to notice.
[[nodiscard]] Subscription observeChanges(std::function<void()> observer);
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
