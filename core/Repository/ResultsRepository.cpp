#include "core/Repository/ResultsRepository.h"

#include "core/ServiceConfig.h"
#include "platform/coding/JSONDecoder.h"
#include "platform/foundation/LinePrinter.h"
#include "platform/net/URLSession.h"

using platform::foundation::print;
using namespace platform::net;

namespace {

void printError(const URLError& error) {
    print("Error: Optional(" + error.description() + ")");
}

void handleAnswer(const std::optional<Data>& data, const std::optional<URLError>& error,
                  const std::function<void(ResultsModel)>& completionBlock) {
    if (error) {
        printError(*error);
        return;
    }
    if (!data) {
        return;
    }
    platform::coding::JSONDecoder decoder;
    decoder.keyDecodingStrategy = platform::coding::KeyDecodingStrategy::convertFromSnakeCase;
    auto model = decoder.decode<ResultsModel>(asStringView(*data));
    if (!model) {
        print(model.error().description());
        return;
    }
    if (completionBlock) {
        completionBlock(*model);
    }
}

} // namespace

void ResultsRepository::fetchResutls(std::function<void(ResultsModel)> completionBlock) {
    auto fetch = makeAuthorizedFetch("/api/v1/stat");
    if (!fetch) {
        printError(fetch.error());
        return;
    }
    URLSession session(fetch->configuration);
    auto task = session.dataTask(
        fetch->request,
        [completionBlock = std::move(completionBlock)](
            std::optional<Data> data, std::optional<HTTPURLResponse>,
            std::optional<URLError> error) { handleAnswer(data, error, completionBlock); });
    task.resume();
}
