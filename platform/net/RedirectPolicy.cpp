#include "platform/net/RedirectPolicy.h"

namespace platform::net {
namespace {

bool isRedirect(int status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

std::string methodAfter(int status, const std::string& method) {
    // As browsers do: 303 always becomes GET, 301/302 turn a POST into a GET.
    if (method == "HEAD") {
        return method;
    }
    if (status == 303 || ((status == 301 || status == 302) && method == "POST")) {
        return "GET";
    }
    return method;
}

} // namespace

RedirectPolicy::Decision RedirectPolicy::decide(const URL& current, const std::string& method,
                                                int status,
                                                const std::optional<std::string>& location,
                                                int redirectsSoFar) {
    if (!isRedirect(status) || !location || location->empty()) {
        return Deliver{};
    }
    auto target = current.resolving(*location);
    if (!target) {
        return Deliver{}; // an unreadable Location leaves the redirect answer as the answer
    }
    auto failing = target->redactedString();
    if (redirectsSoFar >= maximumRedirects) {
        return URLError{URLError::Code::httpTooManyRedirects, current.redactedString()};
    }
    if (target->scheme() == "http") {
        return URLError{URLError::Code::secureConnectionRequired, failing};
    }
    if (target->scheme() != "https") {
        return URLError{URLError::Code::unsupportedURL, failing};
    }
    return Follow{*target, methodAfter(status, method)};
}

} // namespace platform::net
