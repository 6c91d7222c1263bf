#pragma once

// A bare loopback client that speaks bytes, for checking what a test server really sends.
//   RawClient client(port, Transport::tls, caFile, "localhost");
//   client.verifyResult() == X509_V_OK;   // the handshake never fails on the certificate
//   client.send("GET / HTTP/1.1\r\nHost: x\r\n\r\n");
//   auto head = client.readHead();

#include "tests/support/servers/HostileServer.h"
#include "tools/demo-service/OpenSSLHandles.h"

#include <optional>
#include <string>
#include <string_view>

namespace trelvo::test {

class RawClient {
public:
    RawClient(int port, Transport transport, const std::string& caFile = {},
              const std::string& host = "localhost");
    ~RawClient();
    RawClient(const RawClient&) = delete;
    RawClient& operator=(const RawClient&) = delete;

    bool connected() const { return connected_; }
    // How the peer's certificate checked out against caFile and host.
    long verifyResult() const;
    bool send(std::string_view bytes);
    std::optional<std::string> readHead();
    // Until the peer closes or limit bytes have come.
    std::string readBody(std::size_t limit);

private:
    long readSome(char* buffer, std::size_t size);

    int fd_ = -1;
    demo::SSLContextPtr context_;
    demo::SSLPtr ssl_;
    bool connected_ = false;
    std::string pending_;
};

std::string getRequest(std::string_view path, std::string_view extraHeaders = {});

} // namespace trelvo::test
