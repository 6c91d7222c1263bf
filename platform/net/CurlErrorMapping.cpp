#include "platform/net/CurlErrorMapping.h"

namespace platform::net {

URLError::Code urlErrorCode(CURLcode result) {
    using Code = URLError::Code;
    switch (result) {
    case CURLE_UNSUPPORTED_PROTOCOL:
        return Code::unsupportedURL;
    case CURLE_URL_MALFORMAT:
        return Code::badURL;
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
        return Code::cannotFindHost;
    case CURLE_COULDNT_CONNECT:
        return Code::cannotConnectToHost;
    case CURLE_OPERATION_TIMEDOUT:
        return Code::timedOut;
    case CURLE_GOT_NOTHING:
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
    case CURLE_PARTIAL_FILE:
        return Code::networkConnectionLost;
    case CURLE_WEIRD_SERVER_REPLY:
    case CURLE_HTTP2:
    case CURLE_HTTP2_STREAM:
    case CURLE_BAD_CONTENT_ENCODING:
        return Code::badServerResponse;
    case CURLE_FILESIZE_EXCEEDED:
        return Code::dataLengthExceedsMaximum;
    case CURLE_TOO_MANY_REDIRECTS:
        return Code::httpTooManyRedirects;
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
        return Code::serverCertificateUntrusted;
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_CRL_BADFILE:
    case CURLE_SSL_SHUTDOWN_FAILED:
    case CURLE_SSL_ENGINE_INITFAILED:
    case CURLE_SSL_ENGINE_NOTFOUND:
    case CURLE_SSL_ENGINE_SETFAILED:
    case CURLE_USE_SSL_FAILED:
        return Code::secureConnectionFailed;
    default:
        return Code::unknown;
    }
}

} // namespace platform::net
