#include "core/Repository/ResultsRepository.h"

#include "core/ServiceAnswer.h"
#include "core/ServiceConfig.h"
#include "platform/net/URLSession.h"

using namespace platform::net;

void ResultsRepository::fetchResutls(std::function<void(ResultsModel)> completionBlock) {
    auto fetch = makeAuthorizedFetch("/api/v1/stat");
    if (!fetch) {
        printTransportError(fetch.error());
        return;
    }
    URLSession session(fetch->configuration);
    auto task = session.dataTask(fetch->request,
                                 [completionBlock = std::move(completionBlock)](
                                     std::optional<Data> data, std::optional<HTTPURLResponse>,
                                     std::optional<URLError> error) {
                                     auto model = decodeServiceAnswer<ResultsModel>(data, error);
                                     if (model && completionBlock) {
                                         completionBlock(*model);
                                     }
                                 });
    task.resume();
}
