#pragma once

// A fresh private directory under $TMPDIR (or /tmp), removed with everything in it at scope end.
//   TemporaryDirectory dir;
//   writeFile(dir.path() / "stat.json", ...);

#include <filesystem>
#include <string_view>

namespace trelvo::test {

class TemporaryDirectory {
public:
    explicit TemporaryDirectory(std::string_view prefix = "trelvo-test");
    ~TemporaryDirectory();
    TemporaryDirectory(const TemporaryDirectory&) = delete;
    TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;

    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

} // namespace trelvo::test
