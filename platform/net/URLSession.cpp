#include "platform/net/URLSession.h"

#include "platform/net/NetworkEngine.h"
#include "platform/net/ScopedCompletionCounter.h"

#include <atomic>

namespace platform::net {

struct URLSession::State {
    URLSessionConfiguration configuration;
    std::shared_ptr<dispatch::DispatchQueue> queue;
};

struct URLSessionDataTask::State {
    std::shared_ptr<URLSession::State> session;
    URLRequest request;
    DataTaskCompletionHandler completionHandler;
    std::atomic<bool> resumed{false};
};

URLSession::URLSession(URLSessionConfiguration configuration)
    : state_(std::make_shared<State>(
          State{std::move(configuration),
                dispatch::DispatchQueue::serial("com.apple.NSURLSession-delegate")})) {}

const URLSessionConfiguration& URLSession::configuration() const {
    return state_->configuration;
}

const std::shared_ptr<dispatch::DispatchQueue>& URLSession::delegateQueue() const {
    return state_->queue;
}

URLSessionDataTask URLSession::dataTask(URLRequest request,
                                        DataTaskCompletionHandler completionHandler) const {
    return URLSessionDataTask(std::make_shared<URLSessionDataTask::State>(
        state_, std::move(request), std::move(completionHandler)));
}

void URLSessionDataTask::resume() {
    if (!state_ || state_->resumed.exchange(true)) {
        return; // a task runs once
    }
    auto session = state_->session;
    TaskRun run{state_->request, session->configuration, TransportEnvironment::current(), {}};
    run.finish = [session,
                  handler = std::move(state_->completionHandler)](TaskResult result) mutable {
        session->queue->async(
            [session, handler = std::move(handler), result = std::move(result)]() mutable {
                if (handler) {
                    handler(std::move(result.data), std::move(result.response),
                            std::move(result.error));
                }
                handler = nullptr; // release what the caller's handler holds before the session
                detail::completionHandlerReturned();
            });
    };
    NetworkEngine::shared().start(std::move(run));
}

} // namespace platform::net
