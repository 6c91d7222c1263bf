#include "tests/results_widget/ChildProcess.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace results_test {

namespace {

std::string readAll(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::filesystem::path freshName(const std::filesystem::path& folder, const char* stream) {
    static std::atomic<int> counter{0};
    return folder /
           ("child-" + std::to_string(::getpid()) + "-" + std::to_string(++counter) + "." + stream);
}

} // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& arguments,
                           const std::filesystem::path& folder)
    : outputFile_(freshName(folder, "out"))
    , errorFile_(freshName(folder, "err")) {
    if (arguments.empty()) {
        return;
    }
    std::vector<char*> argv;
    for (const auto& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const int flags = O_WRONLY | O_CREAT | O_TRUNC;
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outputFile_.c_str(), flags, 0600);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errorFile_.c_str(), flags, 0600);
    pid_t pid = -1;
    if (::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
        pid_ = pid;
    }
    posix_spawn_file_actions_destroy(&actions);
}

ChildProcess::~ChildProcess() {
    if (pid_ > 0) {
        terminate();
    }
    std::error_code ignored;
    std::filesystem::remove(outputFile_, ignored);
    std::filesystem::remove(errorFile_, ignored);
}

std::string ChildProcess::output() const {
    return readAll(outputFile_);
}

std::string ChildProcess::errors() const {
    return readAll(errorFile_);
}

std::optional<std::string> ChildProcess::waitForLine(const std::string& prefix,
                                                     std::chrono::milliseconds patience) const {
    const auto deadline = std::chrono::steady_clock::now() + patience;
    do {
        std::istringstream lines(output());
        std::string line;
        while (std::getline(lines, line)) {
            if (line.starts_with(prefix) && !lines.eof()) {
                return line.substr(prefix.size());
            }
        }
        // A child's output is a file; there is nothing to wait on but the file itself.
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    } while (std::chrono::steady_clock::now() < deadline && pid_ > 0);
    return std::nullopt;
}

Finished ChildProcess::finish() {
    Finished finished;
    if (pid_ <= 0) {
        return finished;
    }
    int status = 0;
    while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    pid_ = -1;
    finished.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    finished.output = output();
    finished.errors = errors();
    return finished;
}

Finished ChildProcess::terminate() {
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
    }
    return finish();
}

} // namespace results_test
