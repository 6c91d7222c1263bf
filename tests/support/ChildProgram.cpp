#include "tests/support/ChildProgram.h"

#include "tests/support/Eventually.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace trelvo::test {

ChildProgram::ChildProgram(const std::vector<std::string>& arguments,
                           const std::filesystem::path& folder,
                           const std::vector<std::string>& environment) {
    static std::atomic<int> made = 0;
    const auto stem = (folder / std::filesystem::path(arguments.at(0)).filename()).string() + "-" +
                      std::to_string(::getpid()) + "-" + std::to_string(++made);
    outputFile_ = stem + ".out";
    errorFile_ = stem + ".err";
    std::vector<std::string> argv = arguments, envp;
    for (char** entry = environ; *entry; ++entry) {
        envp.emplace_back(*entry);
    }
    for (const auto& change : environment) {
        const auto name = change.substr(0, change.find('=')) + "=";
        std::erase_if(envp, [&](const std::string& entry) { return entry.starts_with(name); });
        if (change.find('=') != std::string::npos) {
            envp.push_back(change);
        }
    }
    std::vector<char*> pointers;
    for (auto* texts : {&argv, &envp}) {
        std::ranges::transform(*texts, std::back_inserter(pointers),
                               [](std::string& text) { return text.data(); });
        pointers.push_back(nullptr);
    }
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&files, 1, outputFile_.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_addopen(&files, 2, errorFile_.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    // Its own group, so that what it starts can be found (and ended) after it; the signals the
    // test process blocks or ignores are the defaults again.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &all);
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK |
                                              POSIX_SPAWN_SETSIGDEF);
    if (posix_spawnp(&pid_, argv[0].c_str(), &files, &attributes, pointers.data(),
                     pointers.data() + argv.size() + 1) != 0) {
        pid_ = -1;
    }
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&files);
}

ChildProgram::~ChildProgram() {
    // The group: the child and anything it left behind. A group with a live member keeps its
    // number, so this reaches no one else's processes.
    if (pid_ > 0 && (!status_ || groupAlive())) {
        ::kill(-pid_, SIGKILL);
        waitForExit(std::chrono::seconds(5));
    }
}

std::optional<ExitStatus> ChildProgram::waitForExit(std::chrono::milliseconds limit) {
    int status = 0;
    if (!status_ && pid_ > 0 &&
        eventually([&] { return ::waitpid(pid_, &status, WNOHANG) == pid_; }, limit)) {
        status_ = WIFEXITED(status) ? ExitStatus::withCode(WEXITSTATUS(status))
                                    : ExitStatus{false, -1, WTERMSIG(status)};
    }
    return status_;
}

Finished ChildProgram::finish(std::chrono::milliseconds limit) {
    const auto ended = waitForExit(limit);
    if (!ended && pid_ > 0) {
        ::kill(-pid_, SIGKILL);
        waitForExit(std::chrono::seconds(5));
    }
    return {ended, output(), errors(), ended && groupAlive()};
}

std::optional<std::string> ChildProgram::waitForLine(const std::string& prefix,
                                                     std::chrono::milliseconds limit) const {
    std::optional<std::string> line;
    eventually( // polled: a file has no way to say it grew
        [&] {
            const auto text = "\n" + output();
            const auto start = text.find("\n" + prefix), end = text.find('\n', start + 1);
            if (start != std::string::npos && end != std::string::npos) {
                line = text.substr(start + 1 + prefix.size(), end - start - 1 - prefix.size());
            }
            return line.has_value();
        },
        limit);
    return line;
}

void expectClean(const Finished& run, ExitStatus expected) {
    ASSERT_TRUE(run.status) << "still running at its limit\n" << run.output << run.errors;
    EXPECT_EQ(*run.status, expected) << run.output << run.errors;
    EXPECT_FALSE(run.leftRunning) << "a process it started outlived it";
    for (const auto* text : {&run.output, &run.errors}) {
        // As scripts/scan-secrets looks for them: the password in any case, the start of the
        // Authorization value ("demo:q" in Base64), the password in Base64.
        const auto lower = [](unsigned char c) { return std::tolower(c); };
        EXPECT_TRUE(std::ranges::search(*text, std::string_view("quillfen"), {}, lower).empty())
            << "the password was written";
        for (auto secret : {"ZGVtbzpx", "cXVpbGxmZW4"}) {
            EXPECT_EQ(text->find(secret), std::string::npos) << "a credential was written";
        }
        for (auto alarm : {"Sanitizer", "runtime error:", "-CRITICAL **", "-WARNING **"}) {
            EXPECT_EQ(text->find(alarm), std::string::npos) << *text;
        }
    }
}

} // namespace trelvo::test
