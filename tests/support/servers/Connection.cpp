#include "tests/support/servers/Connection.h"

#include <algorithm>
#include <cerrno>
#include <openssl/err.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace trelvo::test {
namespace {

constexpr std::size_t maximumHeadBytes = 64 * 1024;

} // namespace

Connection::Connection(int fd, SSL_CTX* tls, const StopPipe& stop)
    : fd_(fd)
    , ssl_(tls ? SSL_new(tls) : nullptr)
    , stop_(stop) {
    if (ssl_) {
        SSL_set_fd(ssl_.get(), fd_);
        SSL_set_mode(ssl_.get(),
                     SSL_MODE_ENABLE_PARTIAL_WRITE | SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER);
    }
}

Connection::~Connection() {
    ssl_.reset();
    ::close(fd_);
}

bool Connection::waitFor(short events, int timeoutMs) {
    pollfd fds[2] = {{fd_, events, 0}, {stop_.readFd(), POLLIN, 0}};
    int ready;
    while ((ready = ::poll(fds, 2, timeoutMs)) < 0 && errno == EINTR) {
    }
    return ready >= 0 && !(fds[1].revents & POLLIN);
}

bool Connection::handshake() {
    if (!ssl_) {
        return true;
    }
    for (;;) {
        const int result = SSL_accept(ssl_.get());
        if (result == 1) {
            return true;
        }
        const int error = SSL_get_error(ssl_.get(), result);
        const short events = error == SSL_ERROR_WANT_READ    ? POLLIN
                             : error == SSL_ERROR_WANT_WRITE ? POLLOUT
                                                             : 0;
        if (!events || !waitFor(events)) {
            // A client that rejects the certificate ends up here, as it should.
            ERR_clear_error();
            return false;
        }
    }
}

long Connection::readSome(char* buffer, std::size_t size, short& wantEvents) {
    wantEvents = POLLIN;
    if (!ssl_) {
        const ssize_t count = ::recv(fd_, buffer, size, 0);
        if (count < 0 && (errno == EAGAIN || errno == EINTR)) {
            return 0;
        }
        return count > 0 ? count : -1;
    }
    const int count = SSL_read(ssl_.get(), buffer, static_cast<int>(size));
    if (count > 0) {
        return count;
    }
    const int error = SSL_get_error(ssl_.get(), count);
    if (error == SSL_ERROR_WANT_READ || error == SSL_ERROR_WANT_WRITE) {
        wantEvents = error == SSL_ERROR_WANT_READ ? POLLIN : POLLOUT;
        return 0;
    }
    ERR_clear_error();
    return -1;
}

long Connection::writeSome(const char* data, std::size_t size, short& wantEvents) {
    wantEvents = POLLOUT;
    if (!ssl_) {
        const ssize_t count = ::send(fd_, data, size, MSG_NOSIGNAL);
        if (count < 0 && (errno == EAGAIN || errno == EINTR)) {
            return 0;
        }
        return count > 0 ? count : -1;
    }
    const int count = SSL_write(ssl_.get(), data, static_cast<int>(size));
    if (count > 0) {
        return count;
    }
    const int error = SSL_get_error(ssl_.get(), count);
    if (error == SSL_ERROR_WANT_READ || error == SSL_ERROR_WANT_WRITE) {
        wantEvents = error == SSL_ERROR_WANT_READ ? POLLIN : POLLOUT;
        return 0;
    }
    ERR_clear_error();
    return -1;
}

std::optional<std::string> Connection::readRequestHead() {
    std::string head;
    char byte;
    // Byte by byte, so nothing after the head is consumed: it stays for holdUntilClosed().
    while (head.size() < maximumHeadBytes) {
        short events = 0;
        const long count = readSome(&byte, 1, events);
        if (count < 0) {
            return std::nullopt;
        }
        if (count == 0) {
            if (!waitFor(events)) {
                return std::nullopt;
            }
            continue;
        }
        head.push_back(byte);
        if (head.ends_with("\r\n\r\n")) {
            return head;
        }
    }
    return std::nullopt;
}

bool Connection::send(std::string_view bytes) {
    while (!bytes.empty()) {
        if (stop_.raised()) {
            return false;
        }
        short events = 0;
        const std::size_t chunk = std::min<std::size_t>(bytes.size(), 1 << 20);
        const long count = writeSome(bytes.data(), chunk, events);
        if (count < 0) {
            return false;
        }
        if (count == 0) {
            if (!waitFor(events)) {
                return false;
            }
            continue;
        }
        bytes.remove_prefix(static_cast<std::size_t>(count));
    }
    return true;
}

bool Connection::pause(std::chrono::milliseconds duration) {
    pollfd stop{stop_.readFd(), POLLIN, 0};
    int ready;
    while ((ready = ::poll(&stop, 1, static_cast<int>(duration.count()))) < 0 && errno == EINTR) {
    }
    return ready == 0;
}

void Connection::holdUntilClosed() {
    char buffer[4096];
    for (;;) {
        short events = 0;
        const long count = readSome(buffer, sizeof buffer, events);
        if (count < 0 || (count == 0 && !waitFor(events))) {
            return;
        }
    }
}

void Connection::finish() {
    if (ssl_) {
        // One-way: the peer's own close_notify is not waited for.
        SSL_shutdown(ssl_.get());
        ERR_clear_error();
    }
}

} // namespace trelvo::test
