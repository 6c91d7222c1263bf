#include "platform/net/URLError.h"

#include "platform/net/URL.h"

namespace platform::net {
namespace {

std::string hostOf(const std::string& failingURL) {
    auto url = URL::string(failingURL);
    return url ? url->host() : std::string("the server");
}

} // namespace

std::string URLError::localizedDescription() const {
    switch (code) {
    case Code::badURL:
        return "bad URL";
    case Code::timedOut:
        return "The request timed out.";
    case Code::unsupportedURL:
        return "unsupported URL";
    case Code::cannotFindHost:
        return "A server with the specified hostname could not be found.";
    case Code::cannotConnectToHost:
        return "Could not connect to the server.";
    case Code::networkConnectionLost:
        return "The network connection was lost.";
    case Code::httpTooManyRedirects:
        return "too many HTTP redirects";
    case Code::badServerResponse:
        return "The server sent a response that could not be read.";
    case Code::secureConnectionRequired:
        return "The resource could not be loaded because a secure connection is required.";
    case Code::dataLengthExceedsMaximum:
        return "resource exceeds maximum size";
    case Code::secureConnectionFailed:
        return "An SSL error has occurred and a secure connection to the server cannot be made.";
    case Code::serverCertificateUntrusted:
        return "The certificate for this server is invalid. You might be connecting to a server "
               "that is pretending to be \u201c" +
               hostOf(failingURLString) +
               "\u201d which could put your confidential information at risk.";
    case Code::unknown:
        break;
    }
    return "An unknown error occurred.";
}

std::string URLError::description() const {
    auto text = localizedDescription();
    std::string userInfo;
    if (!failingURLString.empty()) {
        userInfo = "NSErrorFailingURLStringKey=" + failingURLString + ", ";
    }
    userInfo += "NSLocalizedDescription=" + text;
    return "Error Domain=NSURLErrorDomain Code=" + std::to_string(errorCode()) + " \"" + text +
           "\" UserInfo={" + userInfo + "}";
}

} // namespace platform::net
