#include "core/ServiceConfig.h"

#include "platform/foundation/Base64.h"

#include <cstdlib>

#ifndef TRELVO_SERVICE_URL
#error "TRELVO_SERVICE_URL names the service's https origin at build time"
#endif

using platform::foundation::Expected;
using platform::foundation::Unexpected;
using platform::net::URL;
using platform::net::URLError;

namespace {

// Messages about a text that did not parse must not repeat a password written into it.
std::string withoutUserInfo(std::string_view text) {
    auto authority = text.find("://");
    if (authority == std::string_view::npos) {
        return std::string(text);
    }
    authority += 3;
    auto end = text.find_first_of("/?#", authority);
    auto at = text.substr(authority, end - authority).rfind('@');
    if (at == std::string_view::npos) {
        return std::string(text);
    }
    return std::string(text.substr(0, authority)) + std::string(text.substr(authority + at + 1));
}

} // namespace

std::string ServiceConfig::baseURLText() {
    const char* override = std::getenv(environmentVariable);
    if (override != nullptr && *override != '\0') {
        return override;
    }
    return TRELVO_SERVICE_URL;
}

Expected<URL, URLError> ServiceConfig::origin(std::string_view text) {
    auto url = URL::string(text);
    if (!url) {
        return Unexpected{URLError{URLError::Code::badURL, withoutUserInfo(text)}};
    }
    auto failing = url->redactedString();
    if (url->scheme() == "http") {
        return Unexpected{URLError{URLError::Code::secureConnectionRequired, failing}};
    }
    if (url->scheme() != "https") {
        return Unexpected{URLError{URLError::Code::unsupportedURL, failing}};
    }
    if (url->hasUserInfo() || url->path() != "/" || url->query() || url->fragment()) {
        return Unexpected{URLError{URLError::Code::badURL, failing}};
    }
    auto port = url->port() ? ":" + std::to_string(*url->port()) : std::string();
    return *URL::string("https://" + url->host() + port);
}

std::string ServiceConfig::authorizationValue() {
    auto credentials = std::string(userName) + ":" + std::string(password);
    return "Basic " + platform::foundation::base64EncodedString(credentials);
}

Expected<AuthorizedFetch, URLError> makeAuthorizedFetch(std::string_view path) {
    auto origin = ServiceConfig::origin(ServiceConfig::baseURLText());
    if (!origin) {
        return Unexpected{origin.error()};
    }
    auto endpoint = URL::string(origin->absoluteString() + std::string(path));
    if (!endpoint) {
        return Unexpected{URLError{URLError::Code::badURL, origin->absoluteString()}};
    }
    auto configuration = platform::net::URLSessionConfiguration::defaultConfiguration();
    configuration.httpAdditionalHeaders = {{"Authorization", ServiceConfig::authorizationValue()}};
    return AuthorizedFetch{platform::net::URLRequest(std::move(*endpoint)),
                           std::move(configuration)};
}
