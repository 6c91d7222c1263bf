#include "tests/support/servers/StopPipe.h"

#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <unistd.h>

namespace trelvo::test {

StopPipe::StopPipe() {
    if (::pipe2(fds_, O_CLOEXEC | O_NONBLOCK) != 0) {
        throw std::runtime_error("cannot make a stop pipe");
    }
}

StopPipe::~StopPipe() {
    ::close(fds_[0]);
    ::close(fds_[1]);
}

void StopPipe::raise() {
    const char byte = 1;
    // Never read back, so one byte keeps it readable; a full pipe is raised already.
    [[maybe_unused]] const ssize_t written = ::write(fds_[1], &byte, 1);
}

bool StopPipe::raised() const {
    pollfd stop{fds_[0], POLLIN, 0};
    return ::poll(&stop, 1, 0) > 0;
}

} // namespace trelvo::test
