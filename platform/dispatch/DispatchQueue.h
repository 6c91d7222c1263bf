#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>

namespace platform::dispatch {

using Block = std::function<void()>;

// A FIFO of blocks. The main queue runs on the thread that runs the main loop (GLib's, once a
// GUI runs; otherwise whoever calls drain() or runUntil()). A serial queue runs its blocks in
// order on a thread of its own; blocks queued before the last handle is dropped still run.
class DispatchQueue {
public:
    static DispatchQueue& main();
    static std::shared_ptr<DispatchQueue> serial(std::string label);

    ~DispatchQueue();
    DispatchQueue(const DispatchQueue&) = delete;
    DispatchQueue& operator=(const DispatchQueue&) = delete;

    void async(Block block);
    const std::string& label() const;
    // True when called from a block this queue is running (for the main queue: from the thread
    // that last ran it).
    bool isCurrent() const;

    // Main queue only. Runs the blocks queued so far on the calling thread; returns how many ran.
    std::size_t drain();
    // Main queue only. Runs blocks as they arrive until done() holds or the timeout passes.
    bool runUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);
    // Main queue only. Called (from any thread) after each async(), so a main loop can wake up
    // and drain. The GUI runtime installs one that schedules a GLib idle source.
    void setWaker(std::function<void()> waker);

    struct State;
    struct Token; // keeps construction to main() and serial()
    DispatchQueue(const Token&, std::string label, bool hasThread);

private:
    std::shared_ptr<State> state_;
};

} // namespace platform::dispatch
