#pragma once

// Runs an executable with its standard output and error piped back, for tests of the built
// programs.
//   ChildProcess child({path, "--port", "0"});
//   auto line = child.readLine();    // std::nullopt at end of output
//   child.signal(SIGTERM);  int status = child.wait();

#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace trelvo::test {

class ChildProcess {
public:
    explicit ChildProcess(std::vector<std::string> arguments);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // One line of standard output, without its newline.
    std::optional<std::string> readLine();
    // Everything left on standard error, once the child has closed it.
    std::string readErrors();
    void signal(int number);
    // The exit code, or 128 + the signal that ended it.
    int wait();

private:
    pid_t pid_ = -1;
    int output_ = -1;
    int errors_ = -1;
    std::string pending_;
};

} // namespace trelvo::test
