#include "platform/foundation/Clock.h"

#include <atomic>
#include <cassert>
#include <chrono>
#include <map>
#include <mutex>
#include <vector>

namespace platform::foundation {
namespace {

// Test seam: set only by ScopedClock. The double is stored as its bits so readers on other
// threads never see a torn value.
std::atomic<bool> overridden{false};
std::atomic<double> overrideTime{0};

} // namespace

struct clock::Subscription::Entry {
    std::function<void()> observer;
    // Held while the observer runs, so cancelling waits for a call in flight. Recursive: an
    // observer may cancel its own subscription.
    std::recursive_mutex calling;
    bool active = true;
};

namespace {

using Entry = clock::Subscription::Entry;

struct Observers {
    std::mutex lock;
    std::map<Entry*, std::shared_ptr<Entry>> entries;
};

Observers& observers() {
    static Observers registry;
    return registry;
}

void notifyObservers() {
    std::vector<std::shared_ptr<Entry>> snapshot;
    {
        std::lock_guard guard(observers().lock);
        for (const auto& [key, entry] : observers().entries) {
            snapshot.push_back(entry);
        }
    }
    for (const auto& entry : snapshot) {
        std::lock_guard calling(entry->calling);
        if (entry->active) {
            entry->observer();
        }
    }
}

} // namespace

clock::Subscription::Subscription(std::shared_ptr<Entry> entry)
    : entry_(std::move(entry)) {}

clock::Subscription::~Subscription() {
    cancel();
}

clock::Subscription::Subscription(Subscription&& other) noexcept
    : entry_(std::move(other.entry_)) {}

clock::Subscription& clock::Subscription::operator=(Subscription&& other) noexcept {
    if (this != &other) {
        cancel();
        entry_ = std::move(other.entry_);
    }
    return *this;
}

void clock::Subscription::cancel() {
    auto entry = std::move(entry_);
    if (!entry) {
        return;
    }
    {
        std::lock_guard guard(observers().lock);
        observers().entries.erase(entry.get());
    }
    std::lock_guard calling(entry->calling);
    entry->active = false;
}

clock::Subscription clock::observeChanges(std::function<void()> observer) {
    auto entry = std::make_shared<Entry>();
    entry->observer = std::move(observer);
    std::lock_guard guard(observers().lock);
    observers().entries.emplace(entry.get(), entry);
    return Subscription(std::move(entry));
}

Date clock::systemNow() {
    using namespace std::chrono;
    auto sinceEpoch = duration<double>(system_clock::now().time_since_epoch()).count();
    return Date::fromTimeIntervalSince1970(sinceEpoch);
}

Date Date::now() {
    if (overridden.load(std::memory_order_acquire)) {
        return Date{overrideTime.load(std::memory_order_acquire)};
    }
    return clock::systemNow();
}

ScopedClock::ScopedClock(Date start) {
    assert(!overridden.load() && "ScopedClock does not nest");
    overrideTime.store(start.timeIntervalSinceReferenceDate, std::memory_order_release);
    overridden.store(true, std::memory_order_release);
}

ScopedClock::~ScopedClock() { overridden.store(false, std::memory_order_release); }

void ScopedClock::set(Date date) {
    overrideTime.store(date.timeIntervalSinceReferenceDate, std::memory_order_release);
    notifyObservers();
}

void ScopedClock::advance(double seconds) { set(now().addingTimeInterval(seconds)); }

Date ScopedClock::now() const { return Date{overrideTime.load(std::memory_order_acquire)}; }

} // namespace platform::foundation
