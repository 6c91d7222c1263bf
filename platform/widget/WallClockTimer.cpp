#include "platform/widget/WallClockTimer.h"

#include "platform/foundation/Clock.h"

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <glib-unix.h>
#include <sys/timerfd.h>

namespace platform::widget {

using foundation::Date;

namespace {

constexpr double farAway = 365.0 * 24 * 60 * 60;

// Rounded up, so the alarm never rings before the date it was set for.
timespec wallTime(Date date) {
    double seconds = date.timeIntervalSince1970();
    if (!(seconds > 0)) {
        return {0, 1}; // already passed; a zero value would disarm the timer
    }
    double whole = std::floor(seconds);
    auto nanoseconds = static_cast<long>(std::ceil((seconds - whole) * 1e9));
    auto result = timespec{static_cast<time_t>(whole), nanoseconds};
    if (result.tv_nsec >= 1'000'000'000) {
        result.tv_sec += 1;
        result.tv_nsec = 0;
    }
    return result;
}

} // namespace

WallClockTimer::WallClockTimer(std::function<void()> fired, std::function<void()> clockChanged)
    : fired_(std::move(fired))
    , clockChanged_(std::move(clockChanged))
    , fd_(::timerfd_create(CLOCK_REALTIME, TFD_CLOEXEC | TFD_NONBLOCK)) {
    if (fd_) {
        watch_ = SourceId(g_unix_fd_add(fd_.get(), G_IO_IN, &ready, this));
    }
}

void WallClockTimer::arm(std::optional<Date> at) {
    if (!fd_) {
        return;
    }
    // Deadlines are dates of Date::now(); the timer runs on the system's clock. They are one and
    // the same but under the test clock, where the wait keeps its length (and the test moves
    // time itself).
    double wait = at ? at->timeIntervalSince(Date::now()) : farAway;
    Date date = foundation::clock::systemNow().addingTimeInterval(wait);
    itimerspec spec{};
    spec.it_value = wallTime(date);
    ::timerfd_settime(fd_.get(), TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &spec, nullptr);
}

gboolean WallClockTimer::ready(gint fd, GIOCondition, gpointer data) {
    auto* self = static_cast<WallClockTimer*>(data);
    std::uint64_t expirations = 0;
    auto got = ::read(fd, &expirations, sizeof expirations);
    if (got == sizeof expirations) {
        self->fired_();
    } else if (got < 0 && errno == ECANCELED) {
        self->clockChanged_();
    }
    return G_SOURCE_CONTINUE;
}

} // namespace platform::widget
