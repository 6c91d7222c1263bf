#include "platform/net/NetworkEngine.h"

#include "platform/net/RedirectPolicy.h"

#include <algorithm>
#include <csignal>
#include <pthread.h>
#include <vector>

namespace platform::net {
namespace {

constexpr long longestPollMilliseconds = 1000;

// A peer that closes while we write must end in an error, not a SIGPIPE for the process.
void blockSigpipeOnThisThread() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

Transfer::Clock::time_point resourceDeadline(double seconds) {
    if (!(seconds > 0) || seconds > URLSessionConfiguration{}.timeoutIntervalForResource) {
        seconds = URLSessionConfiguration{}.timeoutIntervalForResource;
    }
    return Transfer::Clock::now() +
           std::chrono::milliseconds(static_cast<long long>(seconds * 1000));
}

} // namespace

NetworkEngine& NetworkEngine::shared() {
    // Constructed on first use, after OpenSSL has registered its own exit handler (libcurl's
    // global init starts OpenSSL), so this destructor runs before OpenSSL is torn down.
    static NetworkEngine engine;
    return engine;
}

NetworkEngine::NetworkEngine() {
    curl_global_init(CURL_GLOBAL_DEFAULT);
    multi_.reset(curl_multi_init());
}

NetworkEngine::~NetworkEngine() {
    {
        std::lock_guard guard(lock_);
        stopping_ = true;
    }
    if (multi_) {
        curl_multi_wakeup(multi_.get());
    }
    if (thread_.joinable()) {
        thread_.join();
    }
    // Tasks still in flight at exit end without a completion: their queues are going away too.
    for (auto& [handle, task] : active_) {
        curl_multi_remove_handle(multi_.get(), handle);
    }
    active_.clear();
    pending_.clear();
    multi_.reset();
    curl_global_cleanup();
}

void NetworkEngine::start(TaskRun run) {
    URL original = run.request.url;
    Transfer::Hop hop{original, run.request.httpMethod, true,
                      resourceDeadline(run.configuration.timeoutIntervalForResource)};
    auto task = std::make_unique<Task>(Task{std::move(run), std::move(original), std::move(hop)});
    std::lock_guard guard(lock_);
    if (stopping_) {
        return;
    }
    pending_.push_back(std::move(task));
    if (running_) {
        curl_multi_wakeup(multi_.get());
        return;
    }
    if (thread_.joinable()) {
        thread_.join(); // it has left its loop and touches nothing of ours any more
    }
    running_ = true;
    thread_ = std::thread([this] { loop(); });
}

bool NetworkEngine::isRunning() {
    std::lock_guard guard(lock_);
    return running_;
}

void NetworkEngine::loop() {
    blockSigpipeOnThisThread();
    for (;;) {
        std::deque<std::unique_ptr<Task>> arrived;
        {
            std::lock_guard guard(lock_);
            if (stopping_ || (pending_.empty() && active_.empty())) {
                running_ = false;
                return;
            }
            arrived.swap(pending_);
        }
        for (auto& task : arrived) {
            adopt(std::move(task));
        }
        int stillRunning = 0;
        curl_multi_perform(multi_.get(), &stillRunning);
        int queued = 0;
        while (CURLMsg* message = curl_multi_info_read(multi_.get(), &queued)) {
            if (message->msg == CURLMSG_DONE) {
                complete(message->easy_handle, message->data.result);
            }
        }
        expireIdle();
        if (!active_.empty()) {
            curl_multi_poll(multi_.get(), nullptr, 0, static_cast<int>(pollTimeoutMilliseconds()),
                            nullptr);
        }
    }
}

void NetworkEngine::adopt(std::unique_ptr<Task> task) {
    const auto& scheme = task->hop.url.scheme();
    if (scheme != "https") {
        auto code = scheme == "http" ? URLError::Code::secureConnectionRequired
                                     : URLError::Code::unsupportedURL;
        URLError error{code, task->hop.url.redactedString()};
        finishTask(std::move(task), {.error = std::move(error)});
        return;
    }
    task->transfer = Transfer::make(task->run, task->hop);
    if (!task->transfer ||
        curl_multi_add_handle(multi_.get(), task->transfer->handle()) != CURLM_OK) {
        auto failing = task->hop.url.redactedString();
        finishTask(std::move(task), {.error = URLError{URLError::Code::unknown, failing}});
        return;
    }
    CURL* handle = task->transfer->handle();
    active_.emplace(handle, std::move(task));
}

void NetworkEngine::complete(CURL* handle, CURLcode result) {
    auto found = active_.find(handle);
    if (found == active_.end()) {
        return;
    }
    auto task = std::move(found->second);
    active_.erase(found);
    curl_multi_remove_handle(multi_.get(), handle);
    auto outcome = task->transfer->finish(result);
    task->transfer.reset();

    URL url = task->hop.url;
    if (outcome.error) {
        finishTask(std::move(task), {.error = URLError{*outcome.error, url.redactedString()}});
        return;
    }
    HTTPURLResponse response{url, outcome.statusCode, std::move(outcome.headers)};
    auto decision = RedirectPolicy::decide(url, task->hop.method, outcome.statusCode,
                                           response.value("Location"), task->redirects);
    if (auto* error = std::get_if<URLError>(&decision)) {
        finishTask(std::move(task), {.error = *error});
    } else if (auto* follow = std::get_if<RedirectPolicy::Follow>(&decision)) {
        task->hop.withCredentials = RedirectPolicy::carriesCredentials(follow->url, task->original);
        task->hop.url = std::move(follow->url);
        task->hop.method = std::move(follow->method);
        ++task->redirects;
        adopt(std::move(task));
    } else {
        finishTask(std::move(task),
                   {.data = std::move(outcome.body), .response = std::move(response)});
    }
}

void NetworkEngine::expireIdle() {
    auto now = Transfer::Clock::now();
    std::vector<CURL*> expired;
    for (const auto& [handle, task] : active_) {
        if (task->transfer->idleDeadline() <= now) {
            expired.push_back(handle);
        }
    }
    for (CURL* handle : expired) {
        complete(handle, CURLE_OPERATION_TIMEDOUT);
    }
}

long NetworkEngine::pollTimeoutMilliseconds() {
    long timeout = -1;
    curl_multi_timeout(multi_.get(), &timeout);
    if (timeout < 0 || timeout > longestPollMilliseconds) {
        timeout = longestPollMilliseconds;
    }
    auto now = Transfer::Clock::now();
    for (const auto& [handle, task] : active_) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                        task->transfer->idleDeadline() - now)
                        .count();
        timeout = std::min<long>(timeout, std::max<long>(static_cast<long>(left) + 1, 0));
    }
    return timeout;
}

void NetworkEngine::finishTask(std::unique_ptr<Task> task, TaskResult result) {
    auto finish = std::move(task->run.finish);
    task.reset();
    if (finish) {
        finish(std::move(result));
    }
}

} // namespace platform::net
