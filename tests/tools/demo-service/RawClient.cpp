#include "tests/tools/demo-service/RawClient.h"

#include <netinet/in.h>
#include <openssl/err.h>
#include <sys/socket.h>
#include <unistd.h>

namespace trelvo::test {

RawClient::RawClient(int port, Transport transport, const std::string& caFile,
                     const std::string& host) {
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    // A guard against a broken server, not a measurement: no test waits anywhere near this.
    const timeval guard{30, 0};
    ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &guard, sizeof guard);
    ::setsockopt(fd_, SOL_SOCKET, SO_SNDTIMEO, &guard, sizeof guard);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        return;
    }
    if (transport == Transport::plain) {
        connected_ = true;
        return;
    }
    context_.reset(SSL_CTX_new(TLS_client_method()));
    // Verification is recorded, not enforced, so the test can read why a certificate is bad.
    SSL_CTX_set_verify(context_.get(), SSL_VERIFY_NONE, nullptr);
    if (!caFile.empty()) {
        SSL_CTX_load_verify_locations(context_.get(), caFile.c_str(), nullptr);
    }
    ssl_.reset(SSL_new(context_.get()));
    SSL_set_fd(ssl_.get(), fd_);
    SSL_set1_host(ssl_.get(), host.c_str());
    SSL_set_tlsext_host_name(ssl_.get(), host.c_str());
    connected_ = SSL_connect(ssl_.get()) == 1;
    ERR_clear_error();
}

RawClient::~RawClient() {
    ssl_.reset();
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

long RawClient::verifyResult() const {
    return ssl_ ? SSL_get_verify_result(ssl_.get()) : -1;
}

bool RawClient::send(std::string_view bytes) {
    while (!bytes.empty()) {
        const long count = ssl_
                               ? SSL_write(ssl_.get(), bytes.data(), static_cast<int>(bytes.size()))
                               : ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (count <= 0) {
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(count));
    }
    return true;
}

long RawClient::readSome(char* buffer, std::size_t size) {
    const long count =
        ssl_ ? SSL_read(ssl_.get(), buffer, static_cast<int>(size)) : ::recv(fd_, buffer, size, 0);
    ERR_clear_error();
    return count;
}

std::optional<std::string> RawClient::readHead() {
    char buffer[16384];
    for (;;) {
        if (const auto end = pending_.find("\r\n\r\n"); end != std::string::npos) {
            std::string head = pending_.substr(0, end + 4);
            pending_.erase(0, end + 4);
            return head;
        }
        const long count = readSome(buffer, sizeof buffer);
        if (count <= 0) {
            return std::nullopt;
        }
        pending_.append(buffer, static_cast<std::size_t>(count));
    }
}

std::string RawClient::readBody(std::size_t limit) {
    std::string body = std::move(pending_);
    char buffer[16384];
    while (body.size() < limit) {
        const long count = readSome(buffer, std::min(sizeof buffer, limit - body.size()));
        if (count <= 0) {
            break;
        }
        body.append(buffer, static_cast<std::size_t>(count));
    }
    return body;
}

std::string getRequest(std::string_view path, std::string_view extraHeaders) {
    return "GET " + std::string(path) + " HTTP/1.1\r\nHost: localhost\r\n" +
           std::string(extraHeaders) + "\r\n";
}

} // namespace trelvo::test
