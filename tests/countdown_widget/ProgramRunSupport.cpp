#include "tests/countdown_widget/ProgramRun.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <system_error>
#include <unistd.h>

extern char** environ;

namespace countdown_test {

ProgramRun runProgram(const std::vector<std::string>& arguments) {
    ProgramRun run;
    int pipe[2];
    if (arguments.empty() || ::pipe2(pipe, O_CLOEXEC) != 0) {
        return run;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipe[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, pipe[1], STDERR_FILENO);
    auto strings = arguments;
    std::vector<char*> argv;
    for (auto& s : strings) {
        argv.push_back(s.data());
    }
    argv.push_back(nullptr);
    pid_t pid = -1;
    const int spawned = ::posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipe[1]);
    if (spawned != 0) {
        ::close(pipe[0]);
        run.output = "cannot start " + arguments[0] + ": " + std::strerror(spawned);
        return run;
    }
    char buffer[8192];
    for (ssize_t count; (count = ::read(pipe[0], buffer, sizeof buffer)) != 0;) {
        if (count > 0) {
            run.output.append(buffer, static_cast<std::size_t>(count));
        } else if (errno != EINTR) {
            break;
        }
    }
    ::close(pipe[0]);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return run;
}

ScratchDirectory::ScratchDirectory() {
    auto pattern = (std::filesystem::temp_directory_path() / "countdown-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) {
        throw std::system_error(errno, std::generic_category(), "mkdtemp");
    }
    path_ = pattern;
}

ScratchDirectory::~ScratchDirectory() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

} // namespace countdown_test
