#include "tests/support/servers/LoopbackListener.h"

#include <cerrno>
#include <csignal>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace trelvo::test {
namespace {

int listenOnLoopback(int& port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(fd, 64) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        if (fd >= 0) {
            ::close(fd);
        }
        throw std::runtime_error("cannot listen on 127.0.0.1");
    }
    port = ntohs(address.sin_port);
    return fd;
}

// A peer that hangs up mid-write must cost an EPIPE, not the test process: OpenSSL writes to
// the socket without MSG_NOSIGNAL.
void blockBrokenPipeSignals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

} // namespace

LoopbackListener::LoopbackListener(SSL_CTX* tls, Handler handler)
    : tls_(tls)
    , handler_(std::move(handler))
    , socket_(listenOnLoopback(port_))
    , acceptor_([this] { acceptLoop(); }) {}

LoopbackListener::~LoopbackListener() {
    stop_.raise();
    acceptor_.join();
    // The acceptor has ended, so the list no longer grows.
    for (auto& connection : connections_) {
        connection.join();
    }
    ::close(socket_);
}

std::size_t LoopbackListener::connectionCount() const {
    std::lock_guard lock(mutex_);
    return connections_.size();
}

void LoopbackListener::acceptLoop() {
    blockBrokenPipeSignals();
    for (;;) {
        pollfd fds[2] = {{socket_, POLLIN, 0}, {stop_.readFd(), POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0 && errno != EINTR) {
            return;
        }
        if (fds[1].revents & POLLIN) {
            return;
        }
        const int fd = ::accept4(socket_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd >= 0) {
            std::lock_guard lock(mutex_);
            connections_.emplace_back([this, fd] { serve(fd); });
        }
    }
}

void LoopbackListener::serve(int fd) {
    blockBrokenPipeSignals();
    Connection connection(fd, tls_, stop_);
    if (connection.handshake()) {
        handler_(connection);
    }
}

} // namespace trelvo::test
