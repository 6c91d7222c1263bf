#include "tests/support/ChildProgram.h"

#include <array>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <poll.h>
#include <spawn.h>
#include <string_view>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace trelvo::test {

namespace {

std::vector<std::string> childEnvironment(const std::vector<std::string>& changes) {
    std::vector<std::string> entries;
    for (char** entry = environ; *entry; ++entry) {
        entries.emplace_back(*entry);
    }
    for (const auto& change : changes) {
        auto name = change.substr(0, change.find('='));
        std::erase_if(entries, [&](const std::string& e) { return e.rfind(name + "=", 0) == 0; });
        if (change.find('=') != std::string::npos) {
            entries.push_back(change);
        }
    }
    return entries;
}

std::vector<char*> pointers(std::vector<std::string>& texts) {
    std::vector<char*> result;
    for (auto& text : texts) {
        result.push_back(text.data());
    }
    result.push_back(nullptr);
    return result;
}

std::string readWhole(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::filesystem::path uniqueFile(const std::filesystem::path& folder, const std::string& program,
                                 const char* suffix) {
    static int made = 0;
    auto stem = std::filesystem::path(program).filename().string();
    return folder /
           (stem + "-" + std::to_string(::getpid()) + "-" + std::to_string(++made) + suffix);
}

ExitStatus fromWaitStatus(int status) {
    if (WIFEXITED(status)) {
        return ExitStatus::withCode(WEXITSTATUS(status));
    }
    return {false, -1, WTERMSIG(status), static_cast<bool>(WCOREDUMP(status))};
}

} // namespace

std::ostream& operator<<(std::ostream& out, const ExitStatus& status) {
    if (status.exited) {
        return out << "exit " << status.code;
    }
    return out << "signal " << status.signal << (status.coreDumped ? " (core dumped)" : "");
}

ChildProgram::ChildProgram(const std::vector<std::string>& arguments,
                           const std::filesystem::path& folder,
                           const std::vector<std::string>& environment)
    : outputFile_(uniqueFile(folder, arguments.at(0), ".out"))
    , errorFile_(uniqueFile(folder, arguments.at(0), ".err")) {
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&files, 1, outputFile_.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_addopen(&files, 2, errorFile_.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    // Its own group, so that what it starts can be found (and ended) after it; the signals
    // the test process blocks or ignores are the defaults again.
    sigset_t none;
    sigemptyset(&none);
    sigset_t all;
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &all);
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK |
                                              POSIX_SPAWN_SETSIGDEF);
    auto argv = arguments;
    auto envp = childEnvironment(environment);
    auto argPointers = pointers(argv);
    auto envPointers = pointers(envp);
    pid_t pid = -1;
    if (posix_spawnp(&pid, argv[0].c_str(), &files, &attributes, argPointers.data(),
                     envPointers.data()) == 0) {
        pid_ = pid;
        pidfd_ = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
    }
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&files);
}

ChildProgram::~ChildProgram() {
    if (pid_ <= 0) {
        return;
    }
    // The group: the child and anything it left behind. A group with a live member keeps its
    // number, so this reaches no one else's processes.
    if (!status_ || groupAlive()) {
        ::kill(-pid_, SIGKILL);
    }
    if (!status_) {
        int status = 0;
        ::waitpid(pid_, &status, 0);
    }
    if (pidfd_ >= 0) {
        ::close(pidfd_);
    }
}

void ChildProgram::signal(int number) const {
    if (pid_ > 0 && !status_) {
        ::kill(pid_, number);
    }
}

std::optional<ExitStatus> ChildProgram::waitForExit(std::chrono::milliseconds limit) {
    if (status_ || pid_ <= 0) {
        return status_;
    }
    pollfd ended{pidfd_, POLLIN, 0};
    int ready = pidfd_ >= 0 ? ::poll(&ended, 1, static_cast<int>(limit.count())) : 1;
    if (ready <= 0) {
        return std::nullopt;
    }
    int status = 0;
    if (::waitpid(pid_, &status, 0) != pid_) {
        return std::nullopt;
    }
    status_ = fromWaitStatus(status);
    return status_;
}

bool ChildProgram::groupAlive() const {
    return pid_ > 0 && (::kill(-pid_, 0) == 0 || errno == EPERM);
}

std::string ChildProgram::output() const {
    return readWhole(outputFile_);
}

std::string ChildProgram::errors() const {
    return readWhole(errorFile_);
}

std::optional<std::string> ChildProgram::waitForLine(const std::string& prefix,
                                                     std::chrono::milliseconds limit) const {
    auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        auto text = output();
        for (std::size_t start = 0; start < text.size();) {
            auto end = text.find('\n', start);
            if (end == std::string::npos) {
                break;
            }
            if (text.compare(start, prefix.size(), prefix) == 0) {
                return text.substr(start + prefix.size(), end - start - prefix.size());
            }
            start = end + 1;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return std::nullopt;
        }
        // Polled: a file has no way to say it grew.
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

Finished runToEnd(const std::vector<std::string>& arguments, const std::filesystem::path& folder,
                  const std::vector<std::string>& environment, std::chrono::milliseconds limit) {
    ChildProgram program(arguments, folder, environment);
    Finished finished;
    finished.status = program.waitForExit(limit);
    if (!finished.status) {
        program.signal(SIGKILL);
        program.waitForExit(std::chrono::seconds(5));
    }
    finished.output = program.output();
    finished.errors = program.errors();
    return finished;
}

void expectClean(const Finished& run, ExitStatus expected) {
    ASSERT_TRUE(run.status) << "still running at its limit\n" << run.output << run.errors;
    EXPECT_EQ(*run.status, expected) << run.output << run.errors;
    // The password, and the start of "Basic " + base64("demo:quillfen"), which already spells the
    // user and part of the password.
    constexpr std::array<std::string_view, 2> secrets{"quillfen", "ZGVtbzpxdWls"};
    constexpr std::array<std::string_view, 4> alarms{"Sanitizer", "runtime error:", "-CRITICAL **",
                                                     "-WARNING **"};
    for (const auto* text : {&run.output, &run.errors}) {
        for (auto secret : secrets) {
            EXPECT_EQ(text->find(secret), std::string::npos) << "a credential was written";
        }
        for (auto alarm : alarms) {
            EXPECT_EQ(text->find(alarm), std::string::npos) << *text;
        }
    }
}

} // namespace trelvo::test
