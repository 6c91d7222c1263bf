#include "tests/support/servers/HostileServer.h"

#include "tests/support/servers/GzipBomb.h"

#include <cerrno>
#include <csignal>
#include <netinet/in.h>
#include <openssl/err.h>
#include <optional>
#include <poll.h>
#include <sstream>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>
#include <zlib.h>

namespace trelvo::test {
namespace {

// One accepted connection, plain or TLS.
struct Connection {
    int fd;
    demo::SSLPtr ssl;

    long read(char* buffer, int size) {
        return ssl ? SSL_read(ssl.get(), buffer, size) : ::recv(fd, buffer, size, 0);
    }
    // Byte by byte, so nothing after the head is consumed: it stays for drain().
    std::optional<std::string> readHead() {
        std::string head;
        for (char byte; head.size() < 64 * 1024 && read(&byte, 1) == 1;) {
            if ((head += byte).ends_with("\r\n\r\n")) {
                return head;
            }
        }
        return std::nullopt;
    }
    // Reads and drops what the peer sends until it closes or the listener stops.
    void drain() {
        for (char buffer[4096]; read(buffer, sizeof buffer) > 0;) {
        }
        ERR_clear_error();
    }
    bool send(std::string_view bytes) {
        const long sent = ssl ? SSL_write(ssl.get(), bytes.data(), static_cast<int>(bytes.size()))
                              : ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        ERR_clear_error();
        return sent == static_cast<long>(bytes.size());
    }
    // The parts `gap` apart, then TLS close_notify so the peer can tell a whole answer from a
    // cut one, unless either side hangs up first (the listener's shutdown() reads as one).
    void answer(const std::vector<std::string_view>& parts, std::chrono::milliseconds gap = {}) {
        for (pollfd hangUp{fd, POLLRDHUP, 0}; auto part : parts) {
            if (!send(part) || (gap.count() && ::poll(&hangUp, 1, int(gap.count())) != 0)) {
                return;
            }
        }
        if (ssl) {
            SSL_shutdown(ssl.get()); // one-way: the peer's own is not waited for
            ERR_clear_error();
        }
    }
};

constexpr std::size_t hugeBodyBytes = std::size_t{64} << 20, declaredBodyBytes = 2048,
                      unsentBodyBytes = 4096, headerCount = 10000;
const std::string statJSON = demo::defaultStatJSON;

demo::RecordedRequest parseHead(const std::string& head) {
    std::istringstream lines(head);
    demo::RecordedRequest request;
    lines >> request.method >> request.path;
    lines.ignore(head.size(), '\n');
    for (std::string line; std::getline(lines, line) && line != "\r";) { // each ends in \r
        const auto colon = line.find(':'), value = line.find_first_not_of(' ', colon + 1);
        request.headers.emplace_back(line.substr(0, colon),
                                     line.substr(value, line.size() - 1 - value));
    }
    return request;
}

// A response head that closes the connection; `fields` are whole header lines.
std::string responseHead(std::string_view status, const std::string& fields) {
    return "HTTP/1.1 " + std::string(status) + "\r\n" + fields + "Connection: close\r\n\r\n";
}

std::string jsonHead(std::size_t length, const std::string& fields = "") {
    return responseHead("200 OK", "Content-Type: application/json\r\nContent-Length: " +
                                      std::to_string(length) + "\r\n" + fields);
}

const std::string statResponse = jsonHead(statJSON.size()) + statJSON;

demo::SSLContextPtr tlsContext(const demo::Identity& identity) {
    demo::SSLContextPtr context{SSL_CTX_new(TLS_server_method())};
    if (!context || !SSL_CTX_use_certificate(context.get(), identity.certificate.get()) ||
        !SSL_CTX_use_PrivateKey(context.get(), identity.key.get())) {
        throw std::runtime_error("cannot set up TLS: " + demo::lastOpenSSLError());
    }
    return context;
}

} // namespace

GzipBomb makeGzipBomb(std::size_t compressedBytes) {
    constexpr std::size_t chunkBytes = 1 << 20;
    std::vector<Bytef> zeros(chunkBytes, 0);
    z_stream stream{};
    deflateInit2(&stream, 9, Z_DEFLATED, 16 + 15, 9, Z_DEFAULT_STRATEGY); // gzip, 32 KiB window
    auto compress = [&](std::size_t size, int flush) {
        std::string output(deflateBound(&stream, size) + 64, '\0');
        stream.next_in = zeros.data();
        stream.avail_in = static_cast<uInt>(size);
        stream.next_out = reinterpret_cast<unsigned char*>(output.data());
        stream.avail_out = static_cast<uInt>(output.size());
        deflate(&stream, flush);
        return output.substr(0, output.size() - stream.avail_out);
    };
    // After a full flush the compressor forgets its window, so every later chunk of zeros
    // compresses to the same bytes.
    GzipBomb bomb{compress(chunkBytes, Z_FULL_FLUSH), chunkBytes};
    const std::string repeated = compress(chunkBytes, Z_FULL_FLUSH), end = compress(0, Z_FINISH);
    deflateEnd(&stream);
    const uLong chunkCRC = crc32(0, zeros.data(), chunkBytes);
    std::uint32_t trailer[] = {static_cast<std::uint32_t>(chunkCRC), 0};
    for (; bomb.bytes.size() + repeated.size() <= compressedBytes;
         bomb.inflatedSize += chunkBytes) {
        bomb.bytes += repeated;
        trailer[0] = crc32_combine(trailer[0], chunkCRC, chunkBytes);
    }
    // The final block, then a trailer of our own: CRC-32 and size mod 2^32, little-endian as
    // our machines are.
    trailer[1] = static_cast<std::uint32_t>(bomb.inflatedSize);
    bomb.bytes += end.substr(0, end.size() - 8);
    bomb.bytes.append(reinterpret_cast<const char*>(trailer), sizeof trailer);
    return bomb;
}

std::string_view toString(HostileScenario scenario) {
    constexpr std::string_view names[] = {
        "neverAnswer",          "oneBytePerSecond",       "hugeBody",
        "dropMidBody",          "contentLengthNeverSent", "redirectToOtherOrigin",
        "redirectToPlainHTTP",  "expiredCertificate",     "selfSignedCertificate",
        "wrongHostCertificate", "tenThousandHeaders",     "gzipBomb"};
    return names[static_cast<std::size_t>(scenario)];
}

// Each server listens on 127.0.0.1 and a free port, serving each connection on a thread of its
// own. The destructor shuts every socket down, which wakes whatever a handler waits on, then
// joins the threads: no handler outlives its server.
HostileServer::HostileServer(HostileScenario scenario, Transport transport)
    : scenario_(scenario) {
    using enum HostileScenario;
    const auto& authority = TestCertificateAuthority::shared();
    tls_[0] = scenario == expiredCertificate
                  ? tlsContext(authority.issue(loopbackNames, demo::Validity::expired()))
              : scenario == wrongHostCertificate
                  ? tlsContext(authority.issue({"DNS:wrong.example"}))
              : scenario == selfSignedCertificate
                  ? tlsContext(orThrow(
                        demo::makeSelfSigned("localhost", loopbackNames, demo::Validity::days(30))))
              : transport == Transport::tls ? tlsContext(authority.issue())
                                            : nullptr;
    tls_[1] = scenario == redirectToPlainHTTP ? nullptr : tlsContext(authority.issue());
    gzipBomb_ = scenario == gzipBomb ? makeGzipBomb(gzipBombBytes).bytes : "";
    for (int server : {0, 1}) {
        sockaddr_in address{
            .sin_family = AF_INET, .sin_port = 0, .sin_addr = {htonl(INADDR_LOOPBACK)}};
        socklen_t length = sizeof address;
        auto* named = reinterpret_cast<sockaddr*>(&address);
        const int socket = sockets_[server] = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (::bind(socket, named, length) != 0 || ::listen(socket, 64) != 0 ||
            ::getsockname(socket, named, &length) != 0) {
            throw std::runtime_error("cannot listen on 127.0.0.1");
        }
        ports_[server] = ntohs(address.sin_port);
    }
    for (int server : {0, 1}) {
        acceptors_.emplace_back([this, server] {
            // A peer that hangs up mid-write must cost an EPIPE, not the test process: OpenSSL
            // writes without MSG_NOSIGNAL. The connections' threads inherit the mask.
            sigset_t pipe;
            sigemptyset(&pipe);
            sigaddset(&pipe, SIGPIPE);
            pthread_sigmask(SIG_BLOCK, &pipe, nullptr);
            for (int fd; (fd = ::accept4(sockets_[server], nullptr, nullptr, SOCK_CLOEXEC)) >= 0 ||
                         errno == EINTR || errno == ECONNABORTED;) {
                std::lock_guard lock(mutex_);
                if (fd >= 0) {
                    open_.push_back(fd);
                    threads_.emplace_back([this, fd, server] {
                        handle(fd, server);
                        ::shutdown(fd, SHUT_RDWR); // the number stays ours until the server goes
                    });
                }
            }
        });
    }
}

HostileServer::~HostileServer() {
    for (int socket : sockets_) {
        ::shutdown(socket, SHUT_RDWR); // ends accept()
    }
    for (auto& acceptor : acceptors_) {
        acceptor.join();
    }
    open_.insert(open_.end(), std::begin(sockets_), std::end(sockets_)); // closed with the rest
    for (int fd : open_) { // wakes every read, write or poll on a connection
        ::shutdown(fd, SHUT_RDWR);
    }
    for (auto& thread : threads_) {
        thread.join();
    }
    for (int fd : open_) {
        ::close(fd);
    }
}

void HostileServer::handle(int fd, int server) {
    Connection connection{fd, demo::SSLPtr(tls_[server] ? SSL_new(tls_[server].get()) : nullptr)};
    const bool secured = !connection.ssl || (SSL_set_fd(connection.ssl.get(), fd) &&
                                             SSL_accept(connection.ssl.get()) == 1);
    ERR_clear_error(); // a client that rejects the certificate ends the handshake, as it should
    const auto head = secured ? connection.readHead() : std::nullopt;
    if (!head) {
        return;
    }
    std::unique_lock lock(mutex_);
    logs_[server].push_back(parseHead(*head));
    lock.unlock();
    using enum HostileScenario;
    switch (server ? HostileScenario{-1} : scenario_) {
    case neverAnswer:
        return connection.drain();
    case oneBytePerSecond: {
        std::vector<std::string_view> bytes;
        for (const char& byte : statResponse) {
            bytes.emplace_back(&byte, 1);
        }
        return connection.answer(bytes, std::chrono::seconds(1));
    }
    case hugeBody: {
        const std::string chunk(64 * 1024, ' '), response = jsonHead(hugeBodyBytes);
        std::vector<std::string_view> parts(1 + hugeBodyBytes / chunk.size(), chunk);
        parts[0] = response;
        return connection.answer(parts);
    }
    case dropMidBody: // half what it declares, then dropped without close_notify
        connection.send(jsonHead(declaredBodyBytes) + statJSON +
                        std::string(declaredBodyBytes / 2 - statJSON.size(), ' '));
        return;
    case contentLengthNeverSent:
        return connection.send(jsonHead(unsentBodyBytes)) ? connection.drain() : void();
    case redirectToOtherOrigin:
    case redirectToPlainHTTP:
        return connection.answer(
            {responseHead("302 Found", "Location: " + redirectTarget() + parseHead(*head).path +
                                           "\r\nContent-Length: 0\r\n")});
    case tenThousandHeaders: {
        std::string filler;
        for (std::size_t index = 0; index < headerCount - 2; ++index) {
            filler += "X-Filler-" + std::to_string(index) + ": filler\r\n";
        }
        return connection.answer({jsonHead(statJSON.size(), filler), statJSON});
    }
    case gzipBomb:
        return connection.answer(
            {jsonHead(gzipBomb_.size(), "Content-Encoding: gzip\r\n"), gzipBomb_});
    default: // the redirect target, and a good answer a client must not read past the certificate
        return connection.answer({statResponse});
    }
}

} // namespace trelvo::test
