#include "tests/support/servers/LoopbackListener.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <netinet/in.h>
#include <openssl/err.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace trelvo::test {
namespace {

// A peer that hangs up mid-write must cost an EPIPE, not the test process: OpenSSL writes to
// the socket without MSG_NOSIGNAL.
void blockBrokenPipeSignals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

} // namespace

Connection::Connection(int fd, SSL_CTX* tls, LoopbackListener& listener)
    : fd_(fd)
    , ssl_(tls ? SSL_new(tls) : nullptr)
    , listener_(listener) {
    if (ssl_) {
        SSL_set_fd(ssl_.get(), fd_);
    }
}

long Connection::read(char* buffer, int size) {
    return ssl_ ? SSL_read(ssl_.get(), buffer, size) : ::recv(fd_, buffer, size, 0);
}

std::optional<std::string> Connection::readRequestHead() {
    std::string head;
    // Byte by byte, so nothing after the head is consumed: it stays for holdUntilClosed().
    for (char byte; head.size() < 64 * 1024 && read(&byte, 1) == 1;) {
        head.push_back(byte);
        if (head.ends_with("\r\n\r\n")) {
            return head;
        }
    }
    return std::nullopt;
}

bool Connection::send(std::string_view bytes) {
    while (!bytes.empty()) {
        const int chunk = static_cast<int>(std::min<std::size_t>(bytes.size(), 1 << 20));
        const long sent = ssl_ ? SSL_write(ssl_.get(), bytes.data(), chunk)
                               : ::send(fd_, bytes.data(), chunk, MSG_NOSIGNAL);
        if (sent <= 0) {
            ERR_clear_error();
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
    return true;
}

bool Connection::pause(std::chrono::milliseconds duration) {
    std::unique_lock lock(listener_.mutex_);
    return !listener_.stopped_.wait_for(lock, duration, [&] { return listener_.stopping_; });
}

void Connection::holdUntilClosed() {
    char buffer[4096];
    while (read(buffer, sizeof buffer) > 0) {
    }
    ERR_clear_error();
}

void Connection::finish() {
    if (ssl_) {
        SSL_shutdown(ssl_.get()); // one-way: the peer's own close_notify is not waited for
        ERR_clear_error();
    }
}

LoopbackListener::LoopbackListener(SSL_CTX* tls, Handler handler)
    : tls_(tls)
    , handler_(std::move(handler))
    , socket_(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (socket_ < 0 || ::bind(socket_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        ::listen(socket_, 64) != 0 ||
        ::getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ::close(socket_);
        throw std::runtime_error("cannot listen on 127.0.0.1");
    }
    port_ = ntohs(address.sin_port);
    acceptor_ = std::thread([this] {
        blockBrokenPipeSignals();
        for (int fd; (fd = ::accept4(socket_, nullptr, nullptr, SOCK_CLOEXEC)) >= 0 ||
                     errno == EINTR || errno == ECONNABORTED;) {
            std::lock_guard lock(mutex_);
            if (stopping_) {
                ::close(fd);
                return;
            }
            if (fd >= 0) {
                open_.insert(fd);
                threads_.emplace_back([this, fd] { serve(fd); });
            }
        }
    });
}

LoopbackListener::~LoopbackListener() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        // Wakes accept() and every read or write blocked on a connection.
        ::shutdown(socket_, SHUT_RDWR);
        for (int fd : open_) {
            ::shutdown(fd, SHUT_RDWR);
        }
    }
    stopped_.notify_all();
    acceptor_.join();
    for (auto& thread : threads_) { // the acceptor has ended: the list no longer grows
        thread.join();
    }
    ::close(socket_);
}

void LoopbackListener::serve(int fd) {
    blockBrokenPipeSignals();
    {
        Connection connection(fd, tls_, *this);
        if (!connection.ssl_ || SSL_accept(connection.ssl_.get()) == 1) {
            handler_(connection);
        }
        ERR_clear_error(); // a client that rejects the certificate ends the handshake, as it should
    }
    std::lock_guard lock(mutex_);
    open_.erase(fd);
    ::close(fd); // under the lock: no shutdown() can reach the number once it is reused
}

} // namespace trelvo::test
