#pragma once

// One accepted loopback connection, plain or TLS, whose every wait also watches a StopPipe:
// nothing a test server does on it can outlive the server.
//   Connection connection(fd, tlsContext, stop);
//   if (!connection.handshake()) return;
//   auto head = connection.readRequestHead();
//   connection.send("HTTP/1.1 200 OK\r\n...");
// send() and pause() return false once the server stops or the peer goes away.

#include "tests/support/servers/StopPipe.h"
#include "tools/demo-service/OpenSSLHandles.h"

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace trelvo::test {

class Connection {
public:
    // Takes ownership of fd; tls == nullptr speaks plain TCP.
    Connection(int fd, SSL_CTX* tls, const StopPipe& stop);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    bool handshake();
    // Up to and including the blank line; nullopt if the peer closes first or sends too much.
    std::optional<std::string> readRequestHead();
    bool send(std::string_view bytes);
    // Waits, unless the server stops first.
    bool pause(std::chrono::milliseconds duration);
    // Reads and drops what the peer sends until it closes or the server stops.
    void holdUntilClosed();
    // Sends TLS close_notify, so the peer can tell a whole response from a cut one. Without it
    // the connection just drops when the Connection is destroyed.
    void finish();

private:
    bool waitFor(short events, int timeoutMs = -1);
    // -1 failed or closed, 0 would block, else the count.
    long readSome(char* buffer, std::size_t size, short& wantEvents);
    long writeSome(const char* data, std::size_t size, short& wantEvents);

    int fd_;
    demo::SSLPtr ssl_;
    const StopPipe& stop_;
};

} // namespace trelvo::test
