#pragma once

#include <chrono>
#include <cstddef>

namespace platform::net {

// Test seam: while alive, counts the data-task completion handlers that have returned, in every
// session of the process, so a test can wait for a fetch to be over even when it ends without
// a callback of its own. Not nestable.
class ScopedCompletionCounter {
public:
    ScopedCompletionCounter();
    ~ScopedCompletionCounter();
    ScopedCompletionCounter(const ScopedCompletionCounter&) = delete;
    ScopedCompletionCounter& operator=(const ScopedCompletionCounter&) = delete;

    std::size_t count() const;
    // Blocks until `count` handlers have returned; false if the limit passes first.
    bool waitFor(std::size_t count,
                 std::chrono::milliseconds limit = std::chrono::seconds(60)) const;
};

namespace detail {
void completionHandlerReturned();
} // namespace detail

} // namespace platform::net
