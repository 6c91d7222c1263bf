#include "platform/foundation/LinePrinter.h"

#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <vector>

using namespace platform::foundation;

TEST(LinePrinter, LinesFromManyThreadsStayWhole) {
    ScopedLineCapture capture;
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([t] {
            for (int i = 0; i < 200; ++i) {
                print(std::string(50, char('a' + t)));
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    auto lines = capture.lines();
    ASSERT_EQ(lines.size(), 1600u);
    for (const auto& line : lines) {
        EXPECT_EQ(line, std::string(50, line.front()));
    }
}
