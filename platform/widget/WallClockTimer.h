#pragma once

#include "platform/foundation/Date.h"
#include "platform/widget/GLibHandles.h"

#include <functional>
#include <optional>

namespace platform::widget {

// A one-shot alarm at a wall-clock date on the GLib loop, which also reports when the wall
// clock is set (a CLOCK_REALTIME timerfd with TFD_TIMER_CANCEL_ON_SET): the host sleeps until
// its next deadline and re-plans when the clock jumps, without polling.
class WallClockTimer {
public:
    WallClockTimer(std::function<void()> fired, std::function<void()> clockChanged);
    WallClockTimer(const WallClockTimer&) = delete;
    WallClockTimer& operator=(const WallClockTimer&) = delete;

    // nullopt: no deadline, but clock changes are still reported.
    void arm(std::optional<foundation::Date> at);
    bool valid() const { return static_cast<bool>(fd_); }

private:
    static gboolean ready(gint fd, GIOCondition condition, gpointer self);

    std::function<void()> fired_;
    std::function<void()> clockChanged_;
    UniqueFd fd_;
    SourceId watch_;
};

} // namespace platform::widget
