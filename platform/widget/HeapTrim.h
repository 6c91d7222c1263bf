#pragma once

#include "platform/widget/GLibHandles.h"

#include <chrono>

namespace platform::widget {

// Hands the heap pages that are free back to the system, in every malloc arena. A refresh
// frees what its transfer and drawing used on worker threads' arenas, and glibc keeps those
// pages for the next allocation; a widget that sleeps for a quarter of an hour should not.
// False where the allocator cannot (an allocator replaced by a sanitizer, say).
bool releaseFreeHeap();

// One releaseFreeHeap() a moment after the latest refresh, once its transfer has ended and
// its picture is drawn; refreshes closer together than that share one.
class HeapTrim {
public:
    explicit HeapTrim(std::chrono::milliseconds delay = std::chrono::seconds(1))
        : delay_(delay) {}

    void refreshed();

private:
    std::chrono::milliseconds delay_;
    SourceId pending_;
};

} // namespace platform::widget
