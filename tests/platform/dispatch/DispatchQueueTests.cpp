#include "platform/dispatch/DispatchQueue.h"

#include <atomic>
#include <future>
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <vector>

using platform::dispatch::DispatchQueue;
using namespace std::chrono_literals;

TEST(SerialQueue, RunsBlocksInOrderOnItsOwnThreadUntilTheLastIsDone) {
    const auto caller = std::this_thread::get_id();
    std::string order; // written by the queue's thread alone
    std::atomic<bool> onCaller{false};
    {
        auto queue = DispatchQueue::serial("test.serial");
        for (char letter = 'a'; letter <= 'z'; ++letter) {
            queue->async([&, letter] {
                onCaller = onCaller || std::this_thread::get_id() == caller;
                order += letter;
            });
        }
    } // dropping the last handle still runs what was queued
    EXPECT_EQ(order, "abcdefghijklmnopqrstuvwxyz");
    EXPECT_FALSE(onCaller);

    // The last handle dropped by the queue's own block must not deadlock joining itself.
    std::promise<void> ran;
    auto queue = DispatchQueue::serial("test.self-release");
    auto* raw = queue.get();
    raw->async([held = std::move(queue), &ran]() mutable {
        held.reset();
        ran.set_value();
    });
    EXPECT_EQ(ran.get_future().wait_for(5s), std::future_status::ready);
}

TEST(MainQueue, RunsBlocksFromOtherThreadsInOrderOnTheThreadThatDrainsIt) {
    auto& main = DispatchQueue::main();
    std::atomic<int> wakes{0};
    main.setWaker([&] { ++wakes; });
    std::vector<std::pair<int, std::thread::id>> ran;
    std::thread([&] {
        for (int i = 0; i < 3; ++i) {
            main.async([&, i] { ran.emplace_back(i, std::this_thread::get_id()); });
        }
    }).join();
    main.setWaker(nullptr);
    EXPECT_EQ(wakes, 3);
    EXPECT_EQ(main.drain(), 3u);
    const auto self = std::this_thread::get_id();
    EXPECT_EQ(ran, (std::vector<std::pair<int, std::thread::id>>{{0, self}, {1, self}, {2, self}}));
    EXPECT_TRUE(main.isCurrent());

    bool done = false; // set on this thread, by the block
    std::jthread producer([&] { main.async([&] { done = true; }); });
    EXPECT_TRUE(main.runUntil([&] { return done; }, 5s));
    EXPECT_FALSE(main.runUntil([] { return false; }, 0ms));
}
