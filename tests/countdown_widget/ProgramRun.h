#pragma once

// Runs a program to its end for tests of the built executables, keeping what it wrote.
//   auto run = runProgram({"env", "TZ=Europe/Moscow", binary, "--once", ...});
//   EXPECT_EQ(run.status, 0) << run.output;

#include <filesystem>
#include <string>
#include <vector>

namespace countdown_test {

struct ProgramRun {
    int status = -1;    // the exit code, or 128 + the signal that ended it; -1 if it never started
    std::string output; // standard output and error together
};

// A program name without a slash is looked up in PATH.
ProgramRun runProgram(const std::vector<std::string>& arguments);

// A fresh private directory, removed with its content at scope end.
class ScratchDirectory {
public:
    ScratchDirectory();
    ~ScratchDirectory();
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

} // namespace countdown_test
