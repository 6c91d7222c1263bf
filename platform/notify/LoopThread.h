#pragma once

#include "platform/notify/GLibPointers.h"

#include <chrono>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace platform::notify {

// A thread of its own running a GLib main loop on a context of its own, so GDBus replies and
// timers are dispatched there and never on the application's main loop.
class LoopThread {
public:
    using Block = std::function<void()>;
    using TimerId = guint;

    explicit LoopThread(const char* name);
    // Stops the loop; blocks posted but not yet run are dropped.
    ~LoopThread();
    LoopThread(const LoopThread&) = delete;
    LoopThread& operator=(const LoopThread&) = delete;

    // Any thread.
    void post(Block block);
    // Any thread but the loop's own: runs the block on the loop and waits for it.
    void invokeAndWait(const Block& block);

    // The loop's thread only.
    TimerId schedule(std::chrono::milliseconds delay, Block block);
    void cancel(TimerId timer);
    void iterate();

private:
    void runPosted();

    // Posted blocks travel through our own lock rather than inside GLib sources, so the
    // hand-over between threads is one that sanitizers can see.
    std::mutex lock_;
    std::deque<Block> posted_;
    GMainContextPtr context_;
    GMainLoopPtr loop_;
    std::thread thread_;
};

} // namespace platform::notify
