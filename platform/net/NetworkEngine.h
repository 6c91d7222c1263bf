#pragma once

#include "platform/net/CurlHandles.h"
#include "platform/net/TaskRun.h"
#include "platform/net/Transfer.h"

#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

namespace platform::net {

// The one libcurl multi handle of the process and the thread that drives it. Every session's
// tasks run here, so the parsed CA store and the DNS cache outlive the sessions that the
// system makes and drops for each fetch. The thread starts with the first task, ends when no
// task is left, and is joined before the process ends.
class NetworkEngine {
public:
    static NetworkEngine& shared();

    // Takes the task to its end; `run.finish` is called exactly once, on the network thread.
    void start(TaskRun run);
    // Whether the network thread is running (for tests of its lifecycle).
    bool isRunning();

    NetworkEngine();
    ~NetworkEngine();
    NetworkEngine(const NetworkEngine&) = delete;
    NetworkEngine& operator=(const NetworkEngine&) = delete;

private:
    struct Task {
        TaskRun run;
        URL original;
        Transfer::Hop hop;
        int redirects = 0;
        std::unique_ptr<Transfer> transfer;
    };

    void loop();
    void adopt(std::unique_ptr<Task> task); // on the network thread
    void complete(CURL* handle, CURLcode result);
    void expireIdle();
    long pollTimeoutMilliseconds();
    void finishTask(std::unique_ptr<Task> task, TaskResult result);

    curl::Multi multi_;
    std::map<CURL*, std::unique_ptr<Task>> active_; // network thread only

    std::mutex lock_;
    std::deque<std::unique_ptr<Task>> pending_;
    bool running_ = false;
    bool stopping_ = false;
    std::thread thread_;
};

} // namespace platform::net
