#pragma once

// Whole-file reads and writes for tests; a missing file reads as empty.

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

namespace trelvo::test {

inline std::string readFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void writeFile(const std::filesystem::path& file, std::string_view text) {
    std::ofstream(file, std::ios::binary | std::ios::trunc) << text;
}

} // namespace trelvo::test
