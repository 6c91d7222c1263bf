#include "tests/platform/net/FetchSupport.h"

#include <condition_variable>
#include <future>
#include <gtest/gtest.h>
#include <mutex>

namespace platform::net::test {
namespace {

struct Waiter {
    std::mutex lock;
    std::condition_variable done;
    FetchOutcome outcome;
};

} // namespace

FetchOutcome fetch(const URLSession& session, URL url) {
    auto waiter = std::make_shared<Waiter>();
    auto queue = session.delegateQueue();
    session
        .dataTask(URLRequest(std::move(url)),
                  [waiter, queue](std::optional<Data> data, std::optional<HTTPURLResponse> response,
                                  std::optional<URLError> error) {
                      std::lock_guard guard(waiter->lock);
                      auto& outcome = waiter->outcome;
                      outcome.data = std::move(data);
                      outcome.response = std::move(response);
                      outcome.error = std::move(error);
                      outcome.onSessionQueue = queue->isCurrent();
                      outcome.thread = std::this_thread::get_id();
                      ++outcome.calls;
                      waiter->done.notify_all();
                  })
        .resume();
    std::unique_lock guard(waiter->lock);
    // A guard against a hang, not a measurement: every path ends well within it.
    bool finished = waiter->done.wait_for(guard, std::chrono::seconds(60),
                                          [&] { return waiter->outcome.calls > 0; });
    EXPECT_TRUE(finished) << "the task never completed";
    guard.unlock();
    // A second completion would be queued behind the first; an empty block drains it.
    std::promise<void> drained;
    queue->async([&] { drained.set_value(); });
    drained.get_future().wait();
    guard.lock();
    return waiter->outcome;
}

FetchOutcome fetch(const URLSessionConfiguration& configuration, std::string_view url) {
    auto parsed = URL::string(url);
    EXPECT_TRUE(parsed) << url;
    return fetch(URLSession(configuration), *parsed);
}

std::string text(const std::optional<Data>& data) {
    return data ? std::string(asStringView(*data)) : std::string("(no data)");
}

} // namespace platform::net::test
