#include "platform/foundation/LinePrinter.h"

#include <cstdio>
#include <mutex>
#include <optional>

namespace platform::foundation {
namespace {

std::mutex& printLock() {
    static std::mutex lock;
    return lock;
}

// Test seam, guarded by printLock().
std::optional<std::vector<std::string>>& captured() {
    static std::optional<std::vector<std::string>> lines;
    return lines;
}

} // namespace

void print(std::string_view line) {
    std::lock_guard guard(printLock());
    if (auto& capture = captured()) {
        capture->emplace_back(line);
        return;
    }
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

ScopedLineCapture::ScopedLineCapture() {
    std::lock_guard guard(printLock());
    captured().emplace();
}

ScopedLineCapture::~ScopedLineCapture() {
    std::lock_guard guard(printLock());
    captured().reset();
}

std::vector<std::string> ScopedLineCapture::lines() const {
    std::lock_guard guard(printLock());
    return captured().value_or(std::vector<std::string>{});
}

} // namespace platform::foundation
