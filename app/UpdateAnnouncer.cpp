#include "app/UpdateAnnouncer.h"

#include "platform/combine/Cancellable.h"
#include "platform/dispatch/DispatchQueue.h"

#include <vector>

struct UpdateAnnouncer::State {
    std::string currentVersion;
    Announce announce;
    bool announced = false;
    std::vector<platform::combine::Cancellable> subscriptions;

    void consider(const std::string& latest) {
        if (announced || latest == currentVersion) {
            return;
        }
        announced = true;
        announce(latest);
    }
};

UpdateAnnouncer::UpdateAnnouncer(std::string currentVersion, Announce announce)
    : state_(std::make_shared<State>()) {
    state_->currentVersion = std::move(currentVersion);
    state_->announce = std::move(announce);
}

void UpdateAnnouncer::watch(const std::shared_ptr<NetworkManager>& manager) const {
    std::weak_ptr<State> weakState = state_;
    std::weak_ptr<NetworkManager> weakManager = manager;
    // Observers hear of a change before the value is stored, and stores happen on the main
    // queue: a block queued from here reads the value once it is in place.
    auto subscription = manager->objectWillChange.sink([weakState, weakManager] {
        platform::dispatch::DispatchQueue::main().async([weakState, weakManager] {
            auto state = weakState.lock();
            auto manager = weakManager.lock();
            if (state && manager) {
                state->consider(manager->latestAppVersionAvailable->version);
            }
        });
    });
    state_->subscriptions.push_back(std::move(subscription));
}
