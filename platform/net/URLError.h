#pragma once

#include <string>

namespace platform::net {

// A transfer that did not produce an answer, with the platform's NSURLErrorDomain codes.
struct URLError {
    enum class Code : int {
        unknown = -1,
        badURL = -1000,
        timedOut = -1001,
        unsupportedURL = -1002,
        cannotFindHost = -1003,
        cannotConnectToHost = -1004,
        networkConnectionLost = -1005,
        httpTooManyRedirects = -1007,
        badServerResponse = -1011,
        secureConnectionRequired = -1022,
        dataLengthExceedsMaximum = -1103,
        secureConnectionFailed = -1200,
        serverCertificateUntrusted = -1202,
    };

    Code code = Code::unknown;
    // The URL that failed, without user name or password; empty when there was none.
    std::string failingURLString;

    int errorCode() const { return static_cast<int>(code); }
    std::string localizedDescription() const;
    // Error Domain=NSURLErrorDomain Code=-1004 "Could not connect to the server." UserInfo={...}
    std::string description() const;

    friend bool operator==(const URLError&, const URLError&) = default;
};

} // namespace platform::net
