#pragma once

// A loopback server that misbehaves in one declared way, for proving a client ends in an error
// instead of a hang, a crash or an unbounded buffer. TLS with a certificate from
// TestCertificateAuthority::shared() unless the scenario is about the certificate.
//   HostileServer server(HostileScenario::hugeBody);
//   ScopedEnv trust("SSL_CERT_FILE", server.caFile());
//   fetch(server.baseURL() + "/api/v1/stat");        // expect an error, not 64 MiB in memory
//   for (auto& r : server.redirectTargetRequests()) EXPECT_FALSE(r.header("Authorization"));
// Destroying the server ends every scenario at once, whatever the client is doing.

#include "tests/support/servers/LoopbackListener.h"
#include "tools/demo-service/RecordedRequest.h"

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>
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
std::ostream& operator<<(std::ostream& out, HostileScenario scenario);

enum class Transport { tls, plain };

class HostileServer {
public:
    static constexpr std::size_t hugeBodyBytes = std::size_t{64} << 20;
    static constexpr std::size_t declaredBodyBytes = 2048; // dropMidBody
    static constexpr std::size_t unsentBodyBytes = 4096;   // contentLengthNeverSent
    static constexpr std::size_t headerCount = 10000;      // tenThousandHeaders
    // Under a 1 MiB cap on the bytes received, so only a cap on the decoded body stops it.
    static constexpr std::size_t gzipBombBytes = 900'000;
    static constexpr std::chrono::milliseconds trickleInterval{1000};

    // Certificate scenarios need Transport::tls (std::invalid_argument otherwise).
    explicit HostileServer(HostileScenario scenario, Transport transport = Transport::tls);
    ~HostileServer();
    HostileServer(const HostileServer&) = delete;
    HostileServer& operator=(const HostileServer&) = delete;

    int port() const { return listener_->port(); }
    std::string baseURL() const; // "https://127.0.0.1:PORT" ("http://" for Transport::plain)
    std::string caFile() const;  // the shared test CA
    // Where the redirect scenarios send the client (the second server), without a path.
    std::string redirectTarget() const;

    std::vector<demo::RecordedRequest> requests() const { return logged(requests_); }
    std::vector<demo::RecordedRequest> redirectTargetRequests() const {
        return logged(targetRequests_);
    }
    // Blocks until this server has read that many request heads; false after the limit.
    bool waitForRequests(std::size_t count,
                         std::chrono::milliseconds limit = std::chrono::seconds(30)) const;

private:
    void handle(Connection& connection);
    void log(std::vector<demo::RecordedRequest>& to, std::string_view head);
    std::vector<demo::RecordedRequest> logged(const std::vector<demo::RecordedRequest>& log) const {
        std::lock_guard lock(mutex_);
        return log;
    }

    HostileScenario scenario_;
    Transport transport_;
    demo::SSLContextPtr tls_;
    demo::SSLContextPtr targetTLS_;
    std::string gzipBomb_;
    mutable std::mutex mutex_;
    mutable std::condition_variable logged_;
    std::vector<demo::RecordedRequest> requests_;
    std::vector<demo::RecordedRequest> targetRequests_;
    std::unique_ptr<LoopbackListener> target_;
    std::unique_ptr<LoopbackListener> listener_;
};

} // namespace trelvo::test
