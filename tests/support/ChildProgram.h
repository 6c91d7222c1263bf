#pragma once

// A program started by a test in a process group of its own, its standard output and error
// written to files (read while it runs; no pipe can fill up and stall it).
// The destructor kills the group of one still running and reaps it.

#include "tests/support/TestFiles.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <sys/types.h>
#include <vector>

namespace trelvo::test {

struct ExitStatus {
    bool exited = false; // by itself, with `code`; otherwise ended by `signal`
    int code = -1;
    int signal = 0;

    static ExitStatus withCode(int code) { return {true, code, 0}; }
    friend bool operator==(const ExitStatus&, const ExitStatus&) = default;
    friend std::ostream& operator<<(std::ostream& out, const ExitStatus& s) {
        return s.exited ? out << "exit " << s.code : out << "signal " << s.signal;
    }
};

// A program's run once it has ended, for expectClean.
struct Finished {
    std::optional<ExitStatus> status; // nullopt: it had to be killed
    std::string output;
    std::string errors;
    bool leftRunning = false; // a process it started outlived it
};

class ChildProgram {
public:
    // A name without a slash is looked up in PATH. `environment` changes the test's own for the
    // child: "NAME=value" sets, "NAME" unsets.
    ChildProgram(const std::vector<std::string>& arguments, const std::filesystem::path& folder,
                 const std::vector<std::string>& environment = {});
    ~ChildProgram();
    ChildProgram(const ChildProgram&) = delete;
    ChildProgram& operator=(const ChildProgram&) = delete;
    pid_t pid() const { return pid_; } // -1 when it could not be started
    void signal(int number) const {
        if (pid_ > 0 && !status_) {
            ::kill(pid_, number);
        }
    }
    // The status once it has ended, waiting at most `limit`; nullopt while it still runs.
    std::optional<ExitStatus> waitForExit(std::chrono::milliseconds limit);
    // Waits at most `limit` for it to end (then kills its group), and what it left.
    Finished finish(std::chrono::milliseconds limit);
    std::string output() const { return readFile(outputFile_); }
    std::string errors() const { return readFile(errorFile_); }
    // The rest of the first output line that starts with prefix, once written whole.
    std::optional<std::string> waitForLine(const std::string& prefix,
                                           std::chrono::milliseconds limit) const;

private:
    // A process of its group is alive, such as a helper it started.
    bool groupAlive() const { return pid_ > 0 && (::kill(-pid_, 0) == 0 || errno == EPERM); }

    pid_t pid_ = -1;
    std::optional<ExitStatus> status_;
    std::filesystem::path outputFile_, errorFile_;
};

// What every launch of one of our programs must hold once it has ended: the `expected` status,
// no sanitizer report, no GLib critical or warning, none of what scripts/scan-secrets looks for
// in what it wrote, and no process of its group left. Fails the calling test, naming what broke.
void expectClean(const Finished& run, ExitStatus expected = ExitStatus::withCode(0));

// Runs a program to its end, killed if it runs past `limit`.
inline Finished runToEnd(const std::vector<std::string>& arguments,
                         const std::filesystem::path& folder,
                         const std::vector<std::string>& environment = {},
                         std::chrono::milliseconds limit = std::chrono::seconds(15)) {
    return ChildProgram(arguments, folder, environment).finish(limit);
}

} // namespace trelvo::test
