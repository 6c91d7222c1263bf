#pragma once

#include "app/AppVersionModel.h"
#include "platform/combine/ObservableObject.h"
#include "platform/combine/Published.h"

#include <memory>

// Asks the service which version of the application it offers and publishes the answer on the
// main queue. Hold it by std::shared_ptr: a fetch keeps its manager alive until it has answered.
class NetworkManager : public platform::combine::ObservableObject,
                       public std::enable_shared_from_this<NetworkManager> {
public:
    NetworkManager() = default;

    // "0" until an answer has arrived; a failed fetch leaves the last answer in place.
    platform::combine::Published<AppVersionModel> latestAppVersionAvailable{*this,
                                                                            AppVersionModel()};

    // Sends one GET for /api/v1/appLatestVersion on a session of its own and returns at once.
    // A decoded answer is assigned on the main queue; any failure prints one line instead.
    void fetchLatestAvailableAppVersion();
};
