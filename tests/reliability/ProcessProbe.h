#pragma once

// What the kernel says about this test process: its threads and its memory.
//   auto before = threadCount();
//   ... run fetches ...
//   EXPECT_TRUE(waitForThreadCount(before, std::chrono::seconds(5)));
//   EXPECT_LT(peakResidentKiB(), 100 * 1024);

#include <chrono>
#include <cstddef>

namespace reliability {

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
// Shadow memory and the quarantine of freed blocks count as resident: memory bounds are proven
// by the plain build.
inline constexpr bool memoryIsMeasurable = false;
#else
inline constexpr bool memoryIsMeasurable = true;
#endif

// Entries of /proc/self/task: every thread alive now, the main one included.
std::size_t threadCount();
// VmHWM of /proc/self/status: the most this process has held resident so far.
std::size_t peakResidentKiB();
// Waits for the threads to be down to `count` (threads that have been told to stop take a
// moment to go); false if there are still more when the limit passes.
bool waitForThreadCount(std::size_t count, std::chrono::milliseconds limit);

} // namespace reliability
