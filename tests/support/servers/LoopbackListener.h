#pragma once

// A TCP listener on 127.0.0.1 and a free port that hands each connection, on its own thread, to
// a handler. The destructor raises the stop pipe, then joins every thread: handlers wait only
// through their Connection, so none can hang it.
//   LoopbackListener listener(tlsContext, [](Connection& c) { ... });
//   listener.port();

#include "tests/support/servers/Connection.h"
#include "tests/support/servers/StopPipe.h"

#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace trelvo::test {

class LoopbackListener {
public:
    using Handler = std::function<void(Connection&)>;

    // tls == nullptr listens for plain TCP; the context must outlive the listener.
    LoopbackListener(SSL_CTX* tls, Handler handler);
    ~LoopbackListener();
    LoopbackListener(const LoopbackListener&) = delete;
    LoopbackListener& operator=(const LoopbackListener&) = delete;

    int port() const { return port_; }
    std::size_t connectionCount() const;

private:
    void acceptLoop();
    void serve(int fd);

    SSL_CTX* tls_;
    Handler handler_;
    StopPipe stop_;
    int port_ = 0; // before socket_, whose initialisation sets it
    int socket_ = -1;
    mutable std::mutex mutex_;
    std::vector<std::thread> connections_;
    std::thread acceptor_;
};

} // namespace trelvo::test
