#include "tests/support/servers/HostileServer.h"

#include "tests/support/servers/GzipBomb.h"
#include "tests/support/servers/TestCertificateAuthority.h"
#include "tools/demo-service/StateDirectory.h"

#include <stdexcept>

namespace trelvo::test {
namespace {

using Headers = std::vector<std::pair<std::string, std::string>>;

constexpr std::string_view names[] = {
    "neverAnswer",          "oneBytePerSecond",       "hugeBody",
    "dropMidBody",          "contentLengthNeverSent", "redirectToOtherOrigin",
    "redirectToPlainHTTP",  "expiredCertificate",     "selfSignedCertificate",
    "wrongHostCertificate", "tenThousandHeaders",     "gzipBomb"};

demo::RecordedRequest parseHead(std::string_view head) {
    demo::RecordedRequest request;
    auto end = head.find("\r\n");
    const auto line = head.substr(0, end);
    request.method = line.substr(0, line.find(' '));
    if (auto space = line.find(' '); space != std::string_view::npos) {
        request.path = line.substr(space + 1, line.find(' ', space + 1) - space - 1);
    }
    for (auto start = end + 2; (end = head.find("\r\n", start)) > start; start = end + 2) {
        const auto field = head.substr(start, end - start);
        const auto colon = std::min(field.find(':'), field.size());
        const auto value =
            field.substr(std::min(field.find_first_not_of(' ', colon + 1), field.size()));
        request.headers.emplace_back(field.substr(0, colon), value);
    }
    return request;
}

std::string responseHead(std::string_view status, const Headers& headers) {
    std::string head = "HTTP/1.1 " + std::string(status) + "\r\n";
    for (const auto& [name, value] : headers) {
        head += name + ": " + value + "\r\n";
    }
    return head + "Connection: close\r\n\r\n";
}

std::string jsonHead(std::size_t length, Headers extra = {}) {
    extra.insert(extra.begin(), {{"Content-Type", "application/json"},
                                 {"Content-Length", std::to_string(length)}});
    return responseHead("200 OK", extra);
}

std::string statResponse() {
    return jsonHead(std::string_view(demo::defaultStatJSON).size()) + demo::defaultStatJSON;
}

demo::SSLContextPtr tlsContext(const demo::Identity& identity) {
    demo::SSLContextPtr context{SSL_CTX_new(TLS_server_method())};
    if (!context || !SSL_CTX_use_certificate(context.get(), identity.certificate.get()) ||
        !SSL_CTX_use_PrivateKey(context.get(), identity.key.get())) {
        throw std::runtime_error("cannot set up TLS: " + demo::lastOpenSSLError());
    }
    return context;
}

demo::Identity certificateFor(HostileScenario scenario) {
    const auto& authority = TestCertificateAuthority::shared();
    if (scenario == HostileScenario::expiredCertificate) {
        return authority.issue(loopbackNames(), demo::Validity::expired());
    }
    if (scenario == HostileScenario::wrongHostCertificate) {
        return authority.issue({"DNS:wrong.example"});
    }
    if (scenario == HostileScenario::selfSignedCertificate) {
        return orThrow(
            demo::makeSelfSigned("localhost", loopbackNames(), demo::Validity::days(30)));
    }
    return authority.issue();
}

// Sends the parts in turn, then close_notify, unless the peer or the server goes first.
void answer(Connection& connection, std::initializer_list<std::string_view> parts) {
    for (auto part : parts) {
        if (!connection.send(part)) {
            return;
        }
    }
    connection.finish();
}

} // namespace

std::string_view toString(HostileScenario scenario) {
    return names[static_cast<std::size_t>(scenario)];
}

std::ostream& operator<<(std::ostream& out, HostileScenario scenario) {
    return out << toString(scenario);
}

void HostileServer::log(std::vector<demo::RecordedRequest>& to, std::string_view head) {
    {
        std::lock_guard lock(mutex_);
        to.push_back(parseHead(head));
    }
    logged_.notify_all();
}

HostileServer::HostileServer(HostileScenario scenario, Transport transport)
    : scenario_(scenario)
    , transport_(transport) {
    const bool aboutTheCertificate = scenario == HostileScenario::expiredCertificate ||
                                     scenario == HostileScenario::selfSignedCertificate ||
                                     scenario == HostileScenario::wrongHostCertificate;
    if (transport == Transport::plain && aboutTheCertificate) {
        throw std::invalid_argument("a certificate scenario needs TLS");
    }
    if (transport == Transport::tls) {
        tls_ = tlsContext(certificateFor(scenario));
    }
    if (scenario == HostileScenario::gzipBomb) {
        gzipBomb_ = makeGzipBomb(gzipBombBytes).bytes;
    }
    if (scenario == HostileScenario::redirectToOtherOrigin) {
        targetTLS_ = tlsContext(TestCertificateAuthority::shared().issue());
    }
    if (scenario == HostileScenario::redirectToOtherOrigin ||
        scenario == HostileScenario::redirectToPlainHTTP) {
        target_ = std::make_unique<LoopbackListener>(targetTLS_.get(), [this](Connection& c) {
            if (auto head = c.readRequestHead()) {
                log(targetRequests_, *head);
                answer(c, {statResponse()});
            }
        });
    }
    listener_ = std::make_unique<LoopbackListener>(
        tls_.get(), [this](Connection& connection) { handle(connection); });
}

HostileServer::~HostileServer() {
    // Both listeners join their threads before the state those threads use goes.
    listener_.reset();
    target_.reset();
}

std::string HostileServer::baseURL() const {
    return std::string(transport_ == Transport::tls ? "https" : "http") +
           "://127.0.0.1:" + std::to_string(port());
}

std::string HostileServer::caFile() const {
    return TestCertificateAuthority::shared().caFile().string();
}

std::string HostileServer::redirectTarget() const {
    return target_ ? std::string(targetTLS_ ? "https" : "http") +
                         "://127.0.0.1:" + std::to_string(target_->port())
                   : "";
}

bool HostileServer::waitForRequests(std::size_t count, std::chrono::milliseconds limit) const {
    std::unique_lock lock(mutex_);
    return logged_.wait_for(lock, limit, [&] { return requests_.size() >= count; });
}

void HostileServer::handle(Connection& connection) {
    const auto head = connection.readRequestHead();
    if (!head) {
        return;
    }
    log(requests_, *head);
    const auto path = parseHead(*head).path;
    switch (scenario_) {
    case HostileScenario::neverAnswer:
        return connection.holdUntilClosed();
    case HostileScenario::oneBytePerSecond: {
        bool sent = true;
        for (const char& byte : statResponse()) {
            sent = sent && connection.send({&byte, 1}) && connection.pause(trickleInterval);
        }
        return sent ? connection.finish() : void();
    }
    case HostileScenario::hugeBody: {
        const std::string chunk(64 * 1024, ' ');
        bool sent = connection.send(jsonHead(hugeBodyBytes));
        for (std::size_t bytes = 0; sent && bytes < hugeBodyBytes; bytes += chunk.size()) {
            sent = connection.send(chunk);
        }
        return sent ? connection.finish() : void();
    }
    case HostileScenario::dropMidBody: { // dropped without close_notify
        std::string body = demo::defaultStatJSON;
        body.resize(declaredBodyBytes / 2, ' ');
        connection.send(jsonHead(declaredBodyBytes) + body);
        return;
    }
    case HostileScenario::contentLengthNeverSent:
        return connection.send(jsonHead(unsentBodyBytes)) ? connection.holdUntilClosed() : void();
    case HostileScenario::redirectToOtherOrigin:
    case HostileScenario::redirectToPlainHTTP:
        return answer(connection, {responseHead("302 Found", {{"Location", redirectTarget() + path},
                                                              {"Content-Length", "0"}})});
    case HostileScenario::tenThousandHeaders: {
        Headers filler;
        for (std::size_t index = 0; index < headerCount - 2; ++index) {
            filler.emplace_back("X-Filler-" + std::to_string(index), "filler");
        }
        const std::string body = demo::defaultStatJSON;
        return answer(connection, {jsonHead(body.size(), std::move(filler)), body});
    }
    case HostileScenario::gzipBomb:
        return answer(connection,
                      {jsonHead(gzipBomb_.size(), {{"Content-Encoding", "gzip"}}), gzipBomb_});
    default: // the certificate scenarios: a good answer the client must never read
        return answer(connection, {statResponse()});
    }
}

} // namespace trelvo::test
