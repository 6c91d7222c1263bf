#include "tests/support/servers/HostileServer.h"

#include "tests/support/servers/GzipBomb.h"
#include "tests/support/servers/TestCertificateAuthority.h"
#include "tools/demo-service/StateDirectory.h"

#include <stdexcept>

namespace trelvo::test {
namespace {

using Headers = std::vector<std::pair<std::string, std::string>>;

demo::RecordedRequest parseHead(std::string_view head) {
    demo::RecordedRequest request;
    std::size_t lineStart = 0;
    for (std::size_t lineEnd;
         (lineEnd = head.find("\r\n", lineStart)) != std::string_view::npos && lineEnd != lineStart;
         lineStart = lineEnd + 2) {
        const std::string_view line = head.substr(lineStart, lineEnd - lineStart);
        if (lineStart == 0) {
            const auto firstSpace = line.find(' ');
            const auto secondSpace = line.find(' ', firstSpace + 1);
            request.method = std::string(line.substr(0, firstSpace));
            if (firstSpace != std::string_view::npos) {
                request.path =
                    std::string(line.substr(firstSpace + 1, secondSpace - firstSpace - 1));
            }
            continue;
        }
        const auto colon = line.find(':');
        std::string_view value = colon == std::string_view::npos ? "" : line.substr(colon + 1);
        while (!value.empty() && value.front() == ' ') {
            value.remove_prefix(1);
        }
        request.headers.emplace_back(std::string(line.substr(0, colon)), std::string(value));
    }
    return request;
}

std::string responseHead(std::string_view statusLine, const Headers& headers) {
    std::string head = "HTTP/1.1 " + std::string(statusLine) + "\r\n";
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
    const std::string body = demo::defaultStatJSON;
    return jsonHead(body.size()) + body;
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
    switch (scenario) {
    case HostileScenario::expiredCertificate:
        return authority.issue(loopbackNames(), demo::Validity::expired());
    case HostileScenario::wrongHostCertificate:
        return authority.issue({"DNS:wrong.example"});
    case HostileScenario::selfSignedCertificate: {
        auto identity =
            demo::makeSelfSigned("localhost", loopbackNames(), demo::Validity::days(30));
        if (!identity) {
            throw std::runtime_error(identity.error());
        }
        return std::move(*identity);
    }
    default:
        return authority.issue();
    }
}

bool isAboutTheCertificate(HostileScenario scenario) {
    return scenario == HostileScenario::expiredCertificate ||
           scenario == HostileScenario::selfSignedCertificate ||
           scenario == HostileScenario::wrongHostCertificate;
}

bool isRedirect(HostileScenario scenario) {
    return scenario == HostileScenario::redirectToOtherOrigin ||
           scenario == HostileScenario::redirectToPlainHTTP;
}

void sendHugeBody(Connection& connection) {
    if (!connection.send(jsonHead(HostileServer::hugeBodyBytes))) {
        return;
    }
    const std::string chunk(64 * 1024, ' ');
    for (std::size_t sent = 0; sent < HostileServer::hugeBodyBytes; sent += chunk.size()) {
        if (!connection.send(chunk)) {
            return;
        }
    }
    connection.finish();
}

void trickle(Connection& connection) {
    const std::string response = statResponse();
    for (const char& byte : response) {
        if (!connection.send({&byte, 1}) || !connection.pause(HostileServer::trickleInterval)) {
            return;
        }
    }
    connection.finish();
}

std::string manyHeadersResponse() {
    const std::string body = demo::defaultStatJSON;
    Headers headers;
    headers.reserve(HostileServer::headerCount);
    for (std::size_t index = 0; index < HostileServer::headerCount - 2; ++index) {
        headers.emplace_back("X-Filler-" + std::to_string(index), "filler");
    }
    return jsonHead(body.size(), std::move(headers)) + body;
}

} // namespace

std::string_view toString(HostileScenario scenario) {
    switch (scenario) {
    case HostileScenario::neverAnswer:
        return "neverAnswer";
    case HostileScenario::oneBytePerSecond:
        return "oneBytePerSecond";
    case HostileScenario::hugeBody:
        return "hugeBody";
    case HostileScenario::dropMidBody:
        return "dropMidBody";
    case HostileScenario::contentLengthNeverSent:
        return "contentLengthNeverSent";
    case HostileScenario::redirectToOtherOrigin:
        return "redirectToOtherOrigin";
    case HostileScenario::redirectToPlainHTTP:
        return "redirectToPlainHTTP";
    case HostileScenario::expiredCertificate:
        return "expiredCertificate";
    case HostileScenario::selfSignedCertificate:
        return "selfSignedCertificate";
    case HostileScenario::wrongHostCertificate:
        return "wrongHostCertificate";
    case HostileScenario::tenThousandHeaders:
        return "tenThousandHeaders";
    case HostileScenario::gzipBomb:
        return "gzipBomb";
    }
    return "unknown";
}

std::ostream& operator<<(std::ostream& out, HostileScenario scenario) {
    return out << toString(scenario);
}

void HostileServer::Log::add(demo::RecordedRequest request) {
    {
        std::lock_guard lock(mutex);
        requests.push_back(std::move(request));
    }
    changed.notify_all();
}

std::vector<demo::RecordedRequest> HostileServer::Log::all() const {
    std::lock_guard lock(mutex);
    return requests;
}

HostileServer::HostileServer(HostileScenario scenario, Transport transport)
    : scenario_(scenario)
    , transport_(transport) {
    if (transport == Transport::plain && isAboutTheCertificate(scenario)) {
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
    if (isRedirect(scenario)) {
        target_ = std::make_unique<LoopbackListener>(
            targetTLS_.get(), [this](Connection& connection) { handleRedirectTarget(connection); });
    }
    listener_ = std::make_unique<LoopbackListener>(
        tls_.get(), [this](Connection& connection) { handle(connection); });
}

HostileServer::~HostileServer() {
    // Both listeners join their threads before the state those threads use goes.
    listener_.reset();
    target_.reset();
}

int HostileServer::port() const {
    return listener_->port();
}

std::string HostileServer::baseURL() const {
    return std::string(transport_ == Transport::tls ? "https" : "http") +
           "://127.0.0.1:" + std::to_string(port());
}

std::string HostileServer::caFile() const {
    return TestCertificateAuthority::shared().caFile().string();
}

std::string HostileServer::redirectTarget() const {
    if (!target_) {
        return {};
    }
    return std::string(targetTLS_ ? "https" : "http") +
           "://127.0.0.1:" + std::to_string(target_->port());
}

std::vector<demo::RecordedRequest> HostileServer::requests() const {
    return log_.all();
}

std::vector<demo::RecordedRequest> HostileServer::redirectTargetRequests() const {
    return targetLog_.all();
}

std::size_t HostileServer::connectionCount() const {
    return listener_->connectionCount();
}

bool HostileServer::waitForRequests(std::size_t count, std::chrono::milliseconds limit) const {
    std::unique_lock lock(log_.mutex);
    return log_.changed.wait_for(lock, limit, [&] { return log_.requests.size() >= count; });
}

void HostileServer::handleRedirectTarget(Connection& connection) {
    const auto head = connection.readRequestHead();
    if (!head) {
        return;
    }
    targetLog_.add(parseHead(*head));
    if (connection.send(statResponse())) {
        connection.finish();
    }
}

void HostileServer::handle(Connection& connection) {
    const auto head = connection.readRequestHead();
    if (!head) {
        return;
    }
    const auto request = parseHead(*head);
    log_.add(request);
    switch (scenario_) {
    case HostileScenario::neverAnswer:
        connection.holdUntilClosed();
        return;
    case HostileScenario::oneBytePerSecond:
        trickle(connection);
        return;
    case HostileScenario::hugeBody:
        sendHugeBody(connection);
        return;
    case HostileScenario::dropMidBody: {
        std::string body = demo::defaultStatJSON;
        body.resize(declaredBodyBytes, ' ');
        connection.send(jsonHead(declaredBodyBytes) + body.substr(0, declaredBodyBytes / 2));
        return; // dropped by the Connection's destructor, no close_notify
    }
    case HostileScenario::contentLengthNeverSent:
        if (connection.send(jsonHead(unsentBodyBytes))) {
            connection.holdUntilClosed();
        }
        return;
    case HostileScenario::redirectToOtherOrigin:
    case HostileScenario::redirectToPlainHTTP:
        if (connection.send(
                responseHead("302 Found", {{"Location", redirectTarget() + request.path},
                                           {"Content-Length", "0"}}))) {
            connection.finish();
        }
        return;
    case HostileScenario::tenThousandHeaders:
        if (connection.send(manyHeadersResponse())) {
            connection.finish();
        }
        return;
    case HostileScenario::gzipBomb:
        if (connection.send(jsonHead(gzipBomb_.size(), {{"Content-Encoding", "gzip"}})) &&
            connection.send(gzipBomb_)) {
            connection.finish();
        }
        return;
    case HostileScenario::expiredCertificate:
    case HostileScenario::selfSignedCertificate:
    case HostileScenario::wrongHostCertificate:
        if (connection.send(statResponse())) {
            connection.finish();
        }
        return;
    }
}

} // namespace trelvo::test
