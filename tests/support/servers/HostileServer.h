#pragma once

// A loopback server that misbehaves in one declared way, for proving a client ends in an error
// instead of a hang, a crash or an unbounded buffer. TLS with a certificate from
// TestCertificateAuthority::shared() unless the scenario is about the certificate. Destroying the
// server ends every scenario at once, whatever the client is doing.

#include "tests/support/Eventually.h"
#include "tests/support/servers/TestCertificateAuthority.h"
#include "tools/demo-service/OpenSSLHandles.h"
#include "tools/demo-service/RecordedRequest.h"

#include <chrono>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace trelvo::test {

enum class HostileScenario {
    neverAnswer,            // reads the request, never answers, holds the connection
    oneBytePerSecond,       // a valid 200 response, one byte a second
    hugeBody,               // 200 with a 64 MiB body, streamed
    dropMidBody,            // declares 2048 bytes, sends half, closes without a TLS close
    contentLengthNeverSent, // declares 4096 bytes, sends none, holds the connection
    redirectToOtherOrigin,  // 302 to https://127.0.0.1:<other port>, same path
    redirectToPlainHTTP,    // 302 to http://127.0.0.1:<other port>, same path
    expiredCertificate,     // issued by the test CA, expired yesterday
    selfSignedCertificate,  // not issued by the test CA
    wrongHostCertificate,   // issued by the test CA for DNS:wrong.example only
    tenThousandHeaders,     // 200 with 10,000 header lines before a small body
    gzipBomb,               // 200, Content-Encoding: gzip, 900 kB inflating to ~880 MiB
};

std::string_view toString(HostileScenario scenario);

enum class Transport { tls, plain }; // plain: not for the certificate scenarios

class HostileServer {
public:
    // Under a 1 MiB cap on the bytes received, so only a cap on the decoded body stops it.
    static constexpr std::size_t gzipBombBytes = 900'000;

    explicit HostileServer(HostileScenario scenario, Transport transport = Transport::tls);
    ~HostileServer();
    int port() const { return ports_[0]; }
    std::string baseURL() const { return url(0); } // https://127.0.0.1:PORT, or http:// if plain
    std::string caFile() const { return TestCertificateAuthority::shared().caFile().string(); }
    // A second server, where the redirect scenarios send the client; without a path.
    std::string redirectTarget() const { return url(1); }
    // The request heads each server has read.
    std::vector<demo::RecordedRequest> requests() const { return logged(0); }
    std::vector<demo::RecordedRequest> redirectTargetRequests() const { return logged(1); }
    // Waits until this server has read that many request heads; false after the limit.
    bool waitForRequests(std::size_t count,
                         std::chrono::milliseconds limit = std::chrono::seconds(30)) const {
        return eventually([&] { return requests().size() >= count; }, limit);
    }

private:
    void handle(int fd, int server); // one connection, on a thread of its own
    std::string url(int server) const {
        return (tls_[server] ? "https://127.0.0.1:" : "http://127.0.0.1:") +
               std::to_string(ports_[server]);
    }
    std::vector<demo::RecordedRequest> logged(int server) const {
        std::lock_guard lock(mutex_);
        return logs_[server];
    }

    HostileScenario scenario_;
    demo::SSLContextPtr tls_[2]; // this server's and the redirect target's
    std::string gzipBomb_;
    int sockets_[2] = {-1, -1}, ports_[2] = {0, 0};
    mutable std::mutex mutex_; // for what follows
    std::vector<demo::RecordedRequest> logs_[2];
    std::vector<int> open_; // every connection's socket, open until the server goes
    std::vector<std::thread> threads_, acceptors_;
};

} // namespace trelvo::test
