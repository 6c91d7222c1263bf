#pragma once

#include "platform/net/Data.h"
#include "platform/net/HTTPURLResponse.h"
#include "platform/net/URLError.h"
#include "platform/net/URLRequest.h"

#include <functional>
#include <memory>
#include <optional>

namespace platform::net {

using DataTaskCompletionHandler = std::function<void(
    std::optional<Data>, std::optional<HTTPURLResponse>, std::optional<URLError>)>;

// One request of a session. Nothing is sent until resume(); the completion handler then runs
// exactly once, on the session's queue, with the body and response or with the error. The
// task runs to its end even when no one keeps this handle.
class URLSessionDataTask {
public:
    void resume();

    struct State;
    explicit URLSessionDataTask(std::shared_ptr<State> state)
        : state_(std::move(state)) {}

private:
    std::shared_ptr<State> state_;
};

} // namespace platform::net
