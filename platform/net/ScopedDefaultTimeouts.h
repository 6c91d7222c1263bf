#pragma once

namespace platform::net {

// Test seam: while alive, URLSessionConfiguration::defaultConfiguration() starts with these
// time-outs, so a test can make code that uses the defaults give up on a silent server
// quickly. Not nestable.
class ScopedDefaultTimeouts {
public:
    ScopedDefaultTimeouts(double timeoutIntervalForRequest, double timeoutIntervalForResource);
    ~ScopedDefaultTimeouts();
    ScopedDefaultTimeouts(const ScopedDefaultTimeouts&) = delete;
    ScopedDefaultTimeouts& operator=(const ScopedDefaultTimeouts&) = delete;
};

} // namespace platform::net
