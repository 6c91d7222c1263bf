#pragma once

namespace platform::notify {

// Fires once the given number of seconds has passed since the request was added (elapsed
// time: wall-clock changes do not move it), and again every interval when it repeats. The
// interval must be positive, and at least 60 seconds for a repeating trigger; the centre
// refuses a request with any other.
class UNTimeIntervalNotificationTrigger {
public:
    UNTimeIntervalNotificationTrigger(double timeInterval, bool repeats)
        : timeInterval_(timeInterval)
        , repeats_(repeats) {}

    double timeInterval() const { return timeInterval_; }
    bool repeats() const { return repeats_; }
    bool isValid() const;

    friend bool operator==(const UNTimeIntervalNotificationTrigger&,
                           const UNTimeIntervalNotificationTrigger&) = default;

private:
    double timeInterval_;
    bool repeats_;
};

} // namespace platform::notify
