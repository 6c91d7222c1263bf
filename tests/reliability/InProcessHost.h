#pragma once

// A widget host run in the test process, and what the kernel says about that process.

#include "platform/net/NetworkEngine.h"
#include "platform/widget/WidgetMain.h"
#include "tests/support/Eventually.h"
#include "tests/support/TestFiles.h"

#include <csignal>
#include <future>
#include <gtest/gtest.h>

namespace reliability {

inline std::size_t threadCount() {
    return std::distance(std::filesystem::directory_iterator("/proc/self/task"), {});
}

// VmHWM, the most this process has held resident, stays under 100 MiB. Not under a sanitizer:
// its shadow memory and the quarantine of freed blocks count as resident.
inline void expectModestPeakMemory() {
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
    const auto status = trelvo::test::readFile("/proc/self/status");
    EXPECT_LT(std::stoul(status.substr(status.find("VmHWM:") + 6)), 100 * 1024u) << status;
#endif
}

// The network thread leaves once no task is left, each session's queue once its last handler
// has run; threads told to stop take a moment to leave the kernel's list.
inline bool networkIdle() {
    return trelvo::test::eventually(
        [] { return !platform::net::NetworkEngine::shared().isRunning(); });
}
inline bool threadsBackTo(std::size_t count) {
    return networkIdle() && trelvo::test::eventually([&] { return threadCount() <= count; },
                                                     std::chrono::seconds(5));
}

// Once the host's loop has run what was queued for it so far, and sleeps until its next
// deadline, planned from the clock as it was.
inline bool hostSettled() {
    auto ran = std::make_shared<std::promise<void>>();
    platform::dispatch::DispatchQueue::main().async([ran] { ran->set_value(); });
    return ran->get_future().wait_for(std::chrono::seconds(15)) == std::future_status::ready;
}

// Runs widget W's host on this thread, drawing into `file`, while `script` runs on a thread of
// its own; SIGTERM ends the host once the script is over. The host's exit status.
template <class W>
int runHostWhile(const std::filesystem::path& file, std::function<void()> script) {
    auto hostRunning = std::make_shared<bool>(true); // main thread only
    std::thread scripting([&] {
        script();
        // Not raised once the host has ended by itself: nothing would catch it then.
        platform::dispatch::DispatchQueue::main().async([hostRunning] {
            if (*hostRunning) {
                std::raise(SIGTERM);
            }
        });
    });
    std::string args[] = {"widget", "--output", file.string()};
    char* argv[] = {args[0].data(), args[1].data(), args[2].data(), nullptr};
    int status = platform::widget::main<W>(3, argv);
    scripting.join();
    *hostRunning = false;
    platform::dispatch::DispatchQueue::main().drain();
    return status;
}

} // namespace reliability
