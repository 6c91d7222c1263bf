#pragma once

// Waits for something another thread or process does in real time (a fetch, a child program);
// never for the host's own time, which the test clock moves.

#include <chrono>
#include <thread>

namespace trelvo::test {

template <typename Condition>
bool eventually(Condition&& condition, std::chrono::milliseconds limit = std::chrono::seconds(15)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (; !condition(); std::this_thread::sleep_for(std::chrono::milliseconds(5))) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
    }
    return true;
}

} // namespace trelvo::test
