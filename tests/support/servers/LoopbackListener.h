#pragma once

// A TCP listener on 127.0.0.1 and a free port that hands each connection, plain or TLS, on a
// thread of its own, to a handler. The destructor shuts every socket down, which wakes whatever
// a handler waits on, then joins the threads: no handler can outlive its server.
//   LoopbackListener listener(tlsContext, [](Connection& c) {
//       if (auto head = c.readRequestHead()) c.send("HTTP/1.1 200 OK\r\n...");
//   });
// send() and pause() return false once the listener stops or the peer goes away.

#include "tools/demo-service/OpenSSLHandles.h"

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace trelvo::test {

class LoopbackListener;

class Connection {
public:
    // Up to and including the blank line; nullopt if the peer closes first or sends too much.
    std::optional<std::string> readRequestHead();
    bool send(std::string_view bytes);
    // Waits, unless the listener stops first.
    bool pause(std::chrono::milliseconds duration);
    // Reads and drops what the peer sends until it closes or the listener stops.
    void holdUntilClosed();
    // Sends TLS close_notify, so the peer can tell a whole response from a cut one. Without it
    // the connection just drops when the handler returns.
    void finish();

private:
    friend class LoopbackListener;
    Connection(int fd, SSL_CTX* tls, LoopbackListener& listener);
    long read(char* buffer, int size);

    int fd_;
    demo::SSLPtr ssl_;
    LoopbackListener& listener_;
};

class LoopbackListener {
public:
    using Handler = std::function<void(Connection&)>;

    // tls == nullptr listens for plain TCP; the context must outlive the listener.
    LoopbackListener(SSL_CTX* tls, Handler handler);
    ~LoopbackListener();
    LoopbackListener(const LoopbackListener&) = delete;
    LoopbackListener& operator=(const LoopbackListener&) = delete;

    int port() const { return port_; }

private:
    friend class Connection;
    void serve(int fd);

    SSL_CTX* tls_;
    Handler handler_;
    int port_ = 0;
    int socket_ = -1;
    std::mutex mutex_;
    std::condition_variable stopped_;
    bool stopping_ = false;
    std::set<int> open_; // sockets of the connections being served
    std::vector<std::thread> threads_;
    std::thread acceptor_;
};

} // namespace trelvo::test
