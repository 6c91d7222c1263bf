#pragma once

#include "platform/net/Data.h"
#include "platform/net/HTTPURLResponse.h"
#include "platform/net/TransportEnvironment.h"
#include "platform/net/URLError.h"
#include "platform/net/URLRequest.h"
#include "platform/net/URLSessionConfiguration.h"

#include <functional>
#include <optional>
#include <string>

namespace platform::net {

struct TaskResult {
    std::optional<Data> data;
    std::optional<HTTPURLResponse> response;
    std::optional<URLError> error;
};

// Everything the network thread needs to carry one task to its end.
struct TaskRun {
    URLRequest request;
    URLSessionConfiguration configuration;
    TransportEnvironment environment;
    // Called exactly once, on the network thread; it hands the result to the session's queue.
    std::function<void(TaskResult)> finish;
};

} // namespace platform::net
