#pragma once

#include "app/NetworkManager.h"

#include <functional>
#include <memory>
#include <string>

// Tells the user once per run that the service offers another version: the first published
// answer whose text differs from the application's own (the same exact text comparison the
// window's update button makes). Copies share one record of what was announced.
class UpdateAnnouncer {
public:
    using Announce = std::function<void(const std::string& version)>;

    UpdateAnnouncer(std::string currentVersion, Announce announce);

    // Listens to the manager's answers for as long as this announcer (or a copy) lives. The
    // manager is not kept alive by it. Main thread only, like the answers themselves.
    void watch(const std::shared_ptr<NetworkManager>& manager) const;

    struct State;

private:
    std::shared_ptr<State> state_;
};
