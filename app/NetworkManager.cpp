#include "app/NetworkManager.h"

#include "core/ServiceAnswer.h"
#include "core/ServiceConfig.h"
#include "platform/dispatch/DispatchQueue.h"
#include "platform/foundation/LinePrinter.h"
#include "platform/net/URLSession.h"

using platform::foundation::print;
using namespace platform::net;

namespace {

void handleAnswer(const std::shared_ptr<NetworkManager>& manager, const std::optional<Data>& data,
                  const std::optional<URLError>& error) {
    auto model = decodeServiceAnswer<AppVersionModel>(data, error);
    if (!model) {
        return;
    }
    // Views read the value on the main thread only, so it is stored there.
    platform::dispatch::DispatchQueue::main().async([manager, model = std::move(*model)] {
        manager->latestAppVersionAvailable = model;
        print(model.description());
    });
}

} // namespace

void NetworkManager::fetchLatestAvailableAppVersion() {
    auto fetch = makeAuthorizedFetch("/api/v1/appLatestVersion");
    if (!fetch) {
        printTransportError(fetch.error());
        return;
    }
    URLSession session(fetch->configuration);
    auto task = session.dataTask(
        fetch->request, [manager = shared_from_this()](
                            std::optional<Data> data, std::optional<HTTPURLResponse>,
                            std::optional<URLError> error) { handleAnswer(manager, data, error); });
    task.resume();
}
