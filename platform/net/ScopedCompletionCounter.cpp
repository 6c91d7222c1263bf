#include "platform/net/ScopedCompletionCounter.h"

#include <cassert>
#include <condition_variable>
#include <mutex>

namespace platform::net {
namespace {

struct Counter {
    std::mutex lock;
    std::condition_variable changed;
    bool active = false;
    std::size_t count = 0;
};

Counter& counter() {
    static Counter shared;
    return shared;
}

} // namespace

ScopedCompletionCounter::ScopedCompletionCounter() {
    std::lock_guard guard(counter().lock);
    assert(!counter().active && "ScopedCompletionCounter does not nest");
    counter().active = true;
    counter().count = 0;
}

ScopedCompletionCounter::~ScopedCompletionCounter() {
    std::lock_guard guard(counter().lock);
    counter().active = false;
}

std::size_t ScopedCompletionCounter::count() const {
    std::lock_guard guard(counter().lock);
    return counter().count;
}

bool ScopedCompletionCounter::waitFor(std::size_t count, std::chrono::milliseconds limit) const {
    std::unique_lock guard(counter().lock);
    return counter().changed.wait_for(guard, limit, [&] { return counter().count >= count; });
}

void detail::completionHandlerReturned() {
    // Notified under the lock: once a waiter has seen the count, this thread no longer touches
    // the counter, which may then be destroyed with the process.
    std::lock_guard guard(counter().lock);
    if (counter().active) {
        ++counter().count;
        counter().changed.notify_all();
    }
}

} // namespace platform::net
