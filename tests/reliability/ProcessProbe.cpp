#include "tests/reliability/ProcessProbe.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

namespace reliability {

std::size_t threadCount() {
    std::error_code error;
    std::filesystem::directory_iterator tasks("/proc/self/task", error);
    if (error) {
        return 0;
    }
    return static_cast<std::size_t>(std::distance(tasks, std::filesystem::directory_iterator()));
}

std::size_t peakResidentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) {
            return std::stoul(line.substr(6));
        }
    }
    return 0;
}

bool waitForThreadCount(std::size_t count, std::chrono::milliseconds limit) {
    auto deadline = std::chrono::steady_clock::now() + limit;
    while (threadCount() > count) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        // Polled: nothing announces that a thread has left the kernel's list.
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

} // namespace reliability
