#include "platform/combine/ObservableObjectPublisher.h"

#include <atomic>
#include <mutex>
#include <vector>

namespace platform::combine {

namespace {

struct Subscription {
    std::function<void()> receiveValue;
    std::atomic<bool> active{true};
};

} // namespace

struct ObservableObjectPublisher::State {
    std::mutex lock;
    std::vector<std::shared_ptr<Subscription>> subscriptions;
};

ObservableObjectPublisher::ObservableObjectPublisher()
    : state_(std::make_shared<State>()) {}

ObservableObjectPublisher::~ObservableObjectPublisher() = default;

Cancellable ObservableObjectPublisher::sink(std::function<void()> receiveValue) {
    auto subscription = std::make_shared<Subscription>();
    subscription->receiveValue = std::move(receiveValue);
    {
        std::lock_guard guard(state_->lock);
        state_->subscriptions.push_back(subscription);
    }
    // Weak on both sides: neither the object nor the subscriber keeps the other alive.
    return Cancellable([weakState = std::weak_ptr<State>(state_),
                        weakSubscription = std::weak_ptr<Subscription>(subscription)] {
        auto subscription = weakSubscription.lock();
        if (!subscription) {
            return;
        }
        subscription->active = false;
        if (auto state = weakState.lock()) {
            std::lock_guard guard(state->lock);
            std::erase(state->subscriptions, subscription);
        }
    });
}

void ObservableObjectPublisher::send() {
    std::vector<std::shared_ptr<Subscription>> snapshot;
    {
        std::lock_guard guard(state_->lock);
        snapshot = state_->subscriptions;
    }
    // Called outside the lock, so a subscriber may subscribe or cancel from its own callback;
    // one cancelled by an earlier subscriber of this same send is not called.
    for (const auto& subscription : snapshot) {
        if (subscription->active) {
            subscription->receiveValue();
        }
    }
}

} // namespace platform::combine
