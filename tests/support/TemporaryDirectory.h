#pragma once

// A fresh private directory under $TMPDIR (or /tmp), removed with everything in it at scope end.

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>

namespace trelvo::test {

class TemporaryDirectory {
public:
    explicit TemporaryDirectory(std::string_view prefix = "trelvo-test") {
        auto pattern = (std::filesystem::temp_directory_path() / prefix).string() + "-XXXXXX";
        if (!::mkdtemp(pattern.data())) {
            throw std::runtime_error("cannot create a temporary directory " + pattern);
        }
        path_ = pattern;
    }
    ~TemporaryDirectory() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TemporaryDirectory(const TemporaryDirectory&) = delete;
    TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

} // namespace trelvo::test
