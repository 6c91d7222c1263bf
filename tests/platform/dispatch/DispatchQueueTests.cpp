#include "platform/dispatch/DispatchQueue.h"

#include <atomic>
#include <future>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>
#include <vector>

using platform::dispatch::DispatchQueue;
using namespace std::chrono_literals;

TEST(SerialQueue, RunsBlocksInOrderOffTheCallingThread) {
    std::vector<int> order;
    std::mutex lock;
    std::atomic<int> done{0};
    auto caller = std::this_thread::get_id();
    std::atomic<bool> offThread{true};
    {
        auto queue = DispatchQueue::serial("test.serial");
        for (int i = 0; i < 100; ++i) {
            queue->async([&, i] {
                if (std::this_thread::get_id() == caller) {
                    offThread = false;
                }
                std::lock_guard guard(lock);
                order.push_back(i);
                ++done;
            });
        }
    } // dropping the last handle still runs what was queued
    ASSERT_EQ(done.load(), 100);
    EXPECT_TRUE(offThread);
    for (int i = 0; i < 100; ++i) {
        EXPECT_EQ(order[i], i);
    }
}

TEST(SerialQueue, LastHandleDroppedByItsOwnBlockDoesNotDeadlock) {
    std::promise<void> ran;
    auto queue = DispatchQueue::serial("test.self-release");
    auto* raw = queue.get();
    raw->async([held = std::move(queue), &ran]() mutable {
        held.reset();
        ran.set_value();
    });
    EXPECT_EQ(ran.get_future().wait_for(5s), std::future_status::ready);
}

TEST(MainQueue, BlocksFromOtherThreadsRunOnTheDrainingThread) {
    auto& main = DispatchQueue::main();
    std::atomic<int> count{0};
    std::thread::id ranOn;
    std::thread producer([&] {
        for (int i = 0; i < 10; ++i) {
            main.async([&] {
                ranOn = std::this_thread::get_id();
                ++count;
            });
        }
    });
    producer.join();
    EXPECT_TRUE(main.runUntil([&] { return count == 10; }, 5s));
    EXPECT_EQ(ranOn, std::this_thread::get_id());
    EXPECT_TRUE(main.isCurrent());
}

TEST(MainQueue, RunUntilGivesUpAtTheTimeout) {
    EXPECT_FALSE(DispatchQueue::main().runUntil([] { return false; }, 20ms));
}
