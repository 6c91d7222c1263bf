#pragma once

// A program run by a test, its standard output and error going to files, so that a long-running
// child can be read while it runs and none can stall on a full pipe.
//   ChildProcess service({binary, "--port", "0"}, folder);
//   auto url = service.waitForLine("Serving on ", std::chrono::seconds(10));
//   auto run = ChildProcess({extension, "--once", ...}, folder).finish();

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace results_test {

struct Finished {
    int status = -1; // the exit code, or 128 + the signal that ended it
    std::string output;
    std::string errors;
};

class ChildProcess {
public:
    // Starts at once; the child inherits the test's environment. Its output files go in folder.
    ChildProcess(const std::vector<std::string>& arguments, const std::filesystem::path& folder);
    // Ends a child still running with SIGTERM and reaps it.
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool started() const { return pid_ > 0; }
    pid_t pid() const { return pid_; }
    std::string output() const;
    std::string errors() const;

    // The rest of the first output line that starts with prefix, once the child has written it.
    std::optional<std::string> waitForLine(const std::string& prefix,
                                           std::chrono::milliseconds patience) const;
    // Waits for the child to end by itself.
    Finished finish();
    // SIGTERM, then waits.
    Finished terminate();

private:
    pid_t pid_ = -1;
    std::filesystem::path outputFile_;
    std::filesystem::path errorFile_;
};

} // namespace results_test
