#include "platform/dispatch/DispatchQueue.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace platform::dispatch {

struct DispatchQueue::State {
    std::string label;
    std::mutex lock;
    std::condition_variable changed;
    std::deque<Block> blocks;
    std::function<void()> waker;
    bool closing = false;
    std::thread::id runner;
    std::thread thread;
};

struct DispatchQueue::Token {};

namespace {

void runSerial(const std::shared_ptr<DispatchQueue::State>& state) {
    std::unique_lock guard(state->lock);
    state->runner = std::this_thread::get_id();
    for (;;) {
        state->changed.wait(guard, [&] { return state->closing || !state->blocks.empty(); });
        if (state->blocks.empty()) {
            return;
        }
        Block block = std::move(state->blocks.front());
        state->blocks.pop_front();
        guard.unlock();
        block();
        block = nullptr; // release what the block held before taking the lock again
        guard.lock();
    }
}

} // namespace

DispatchQueue::DispatchQueue(const Token&, std::string label, bool hasThread)
    : state_(std::make_shared<State>()) {
    state_->label = std::move(label);
    if (hasThread) {
        state_->thread = std::thread([state = state_] { runSerial(state); });
    }
}

DispatchQueue::~DispatchQueue() {
    {
        std::lock_guard guard(state_->lock);
        state_->closing = true;
    }
    state_->changed.notify_all();
    if (state_->thread.joinable()) {
        // The last handle may be dropped by one of the queue's own blocks.
        if (state_->thread.get_id() == std::this_thread::get_id()) {
            state_->thread.detach();
        } else {
            state_->thread.join();
        }
    }
}

DispatchQueue& DispatchQueue::main() {
    static DispatchQueue queue(Token{}, "com.apple.main-thread", false);
    return queue;
}

std::shared_ptr<DispatchQueue> DispatchQueue::serial(std::string label) {
    return std::make_shared<DispatchQueue>(Token{}, std::move(label), true);
}

void DispatchQueue::async(Block block) {
    // The block may hold the queue's last handle and run to its end before this returns, so
    // nothing below may touch *this once the block is queued.
    auto state = state_;
    std::function<void()> waker;
    {
        std::lock_guard guard(state->lock);
        state->blocks.push_back(std::move(block));
        waker = state->waker;
    }
    state->changed.notify_all();
    if (waker) {
        waker();
    }
}

const std::string& DispatchQueue::label() const { return state_->label; }

bool DispatchQueue::isCurrent() const {
    std::lock_guard guard(state_->lock);
    return state_->runner == std::this_thread::get_id();
}

std::size_t DispatchQueue::drain() {
    std::deque<Block> batch;
    {
        std::lock_guard guard(state_->lock);
        state_->runner = std::this_thread::get_id();
        batch.swap(state_->blocks);
    }
    for (auto& block : batch) {
        block();
        block = nullptr;
    }
    return batch.size();
}

bool DispatchQueue::runUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        drain();
        if (done()) {
            return true;
        }
        std::unique_lock guard(state_->lock);
        if (!state_->changed.wait_until(guard, deadline, [&] { return !state_->blocks.empty(); })) {
            guard.unlock();
            drain();
            return done();
        }
    }
}

void DispatchQueue::setWaker(std::function<void()> waker) {
    std::lock_guard guard(state_->lock);
    state_->waker = std::move(waker);
}

} // namespace platform::dispatch
