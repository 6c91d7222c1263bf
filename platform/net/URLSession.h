#pragma once

#include "platform/dispatch/DispatchQueue.h"
#include "platform/net/URLRequest.h"
#include "platform/net/URLSessionConfiguration.h"
#include "platform/net/URLSessionDataTask.h"

#include <memory>

namespace platform::net {

// A set of tasks sharing one configuration (copied when the session is made, so later changes
// to the caller's value do not reach it) and one serial background queue for their completion
// handlers. Copies of a URLSession are the same session. The session lives while any of its
// tasks is in flight.
class URLSession {
public:
    explicit URLSession(URLSessionConfiguration configuration);

    const URLSessionConfiguration& configuration() const;
    // The serial queue completion handlers run on; never the main queue.
    const std::shared_ptr<dispatch::DispatchQueue>& delegateQueue() const;

    URLSessionDataTask dataTask(URLRequest request,
                                DataTaskCompletionHandler completionHandler) const;

    struct State;

private:
    std::shared_ptr<State> state_;
};

} // namespace platform::net
