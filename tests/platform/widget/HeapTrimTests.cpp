#include "platform/widget/HeapTrim.h"

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <glib.h>
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace platform::widget;
using namespace std::chrono_literals;

long anonymousKilobytes() {
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        if (key == "RssAnon:") {
            long kilobytes = 0;
            status >> kilobytes;
            return kilobytes;
        }
        status.ignore(1 << 12, '\n');
    }
    return -1;
}

// What a transfer leaves behind: a worker's arena of freed small blocks, held in place by a
// few that are still alive among them, so free() alone cannot shrink it.
struct FreedOnAWorker {
    static constexpr std::size_t blocks = 4096;
    static constexpr std::size_t keepEvery = 16;
    std::vector<char*> survivors;

    FreedOnAWorker() {
        std::thread worker([this] {
            std::vector<char*> used;
            for (std::size_t i = 0; i < blocks; ++i) {
                auto* block = static_cast<char*>(std::malloc(4000));
                for (std::size_t b = 0; b < 4000; b += 512) {
                    block[b] = 1;
                }
                used.push_back(block);
            }
            for (std::size_t i = 0; i < used.size(); ++i) {
                if (i % keepEvery == 0) {
                    survivors.push_back(used[i]);
                } else {
                    std::free(used[i]);
                }
            }
        });
        worker.join();
    }
    ~FreedOnAWorker() {
        for (auto* block : survivors) {
            std::free(block);
        }
    }
};

constexpr long freedKilobytes = FreedOnAWorker::blocks * 4000 / 1024 * 15 / 16;

TEST(HeapTrim, GivesAWorkersFreedPagesBack) {
    FreedOnAWorker freed;
    long before = anonymousKilobytes();
    if (!releaseFreeHeap()) {
        GTEST_SKIP() << "the allocator is not glibc's here";
    }
    EXPECT_GT(before - anonymousKilobytes(), freedKilobytes / 2);
}

TEST(HeapTrim, TrimsOnTheLoopAMomentAfterARefresh) {
    if (!releaseFreeHeap()) {
        GTEST_SKIP() << "the allocator is not glibc's here";
    }
    FreedOnAWorker freed;
    long before = anonymousKilobytes();
    HeapTrim trim(10ms);
    trim.refreshed();
    trim.refreshed();
    EXPECT_LT(before - anonymousKilobytes(), freedKilobytes / 2) << "trimmed before the loop ran";
    auto giveUp = std::chrono::steady_clock::now() + 5s;
    while (before - anonymousKilobytes() < freedKilobytes / 2 &&
           std::chrono::steady_clock::now() < giveUp) {
        g_main_context_iteration(nullptr, FALSE);
        std::this_thread::sleep_for(1ms);
    }
    EXPECT_GT(before - anonymousKilobytes(), freedKilobytes / 2);
}

} // namespace
