#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform::foundation {

// Writes one whole line to standard output and flushes it. Lines printed from different threads
// never interleave.
void print(std::string_view line);

// Test seam: while alive, printed lines are kept here instead of reaching standard output.
class ScopedLineCapture {
public:
    ScopedLineCapture();
    ~ScopedLineCapture();
    ScopedLineCapture(const ScopedLineCapture&) = delete;
    ScopedLineCapture& operator=(const ScopedLineCapture&) = delete;

    std::vector<std::string> lines() const;
};

} // namespace platform::foundation
