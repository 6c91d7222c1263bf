#include "platform/net/URL.h"

#include "platform/net/CurlHandles.h"

#include <algorithm>
#include <cctype>

namespace platform::net {
namespace {

constexpr unsigned parseFlags = CURLU_NON_SUPPORT_SCHEME;

std::optional<std::string> part(CURLU* handle, CURLUPart which, unsigned flags = 0) {
    char* raw = nullptr;
    if (curl_url_get(handle, which, &raw, flags) != CURLUE_OK || raw == nullptr) {
        return std::nullopt;
    }
    curl::String owned(raw);
    return std::string(owned.get());
}

std::string lowered(std::string text) {
    std::ranges::transform(text, text.begin(),
                           [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

int defaultPort(const std::string& scheme) {
    if (scheme == "https") {
        return 443;
    }
    if (scheme == "http") {
        return 80;
    }
    return -1;
}

} // namespace

std::optional<URL> URL::fromParsed(std::string text, void* opaque) {
    auto* handle = static_cast<CURLU*>(opaque);
    auto scheme = part(handle, CURLUPART_SCHEME);
    auto host = part(handle, CURLUPART_HOST);
    if (!scheme || !host || host->empty()) {
        return std::nullopt;
    }
    URL url;
    url.text_ = std::move(text);
    url.scheme_ = lowered(*scheme);
    url.host_ = std::move(*host);
    if (auto port = part(handle, CURLUPART_PORT)) {
        url.port_ = std::stoi(*port); // curl has already checked it is 0..65535
    }
    url.path_ = part(handle, CURLUPART_PATH).value_or("/");
    if (url.path_.empty()) {
        url.path_ = "/";
    }
    url.query_ = part(handle, CURLUPART_QUERY);
    url.fragment_ = part(handle, CURLUPART_FRAGMENT);
    url.hasUserInfo_ =
        part(handle, CURLUPART_USER).has_value() || part(handle, CURLUPART_PASSWORD).has_value();
    return url;
}

std::optional<URL> URL::string(std::string_view text) {
    curl::URLHandle handle(curl_url());
    if (!handle) {
        return std::nullopt;
    }
    std::string owned(text);
    if (owned.find('\0') != std::string::npos ||
        curl_url_set(handle.get(), CURLUPART_URL, owned.c_str(), parseFlags) != CURLUE_OK) {
        return std::nullopt;
    }
    return fromParsed(std::move(owned), handle.get());
}

int URL::effectivePort() const {
    return port_.value_or(defaultPort(scheme_));
}

std::string URL::origin() const {
    return scheme_ + "://" + lowered(host_) + ":" + std::to_string(effectivePort());
}

std::string URL::redactedString() const {
    if (!hasUserInfo_) {
        return text_;
    }
    curl::URLHandle handle(curl_url());
    if (!handle ||
        curl_url_set(handle.get(), CURLUPART_URL, text_.c_str(), parseFlags) != CURLUE_OK) {
        return scheme_ + "://" + host_;
    }
    curl_url_set(handle.get(), CURLUPART_USER, nullptr, 0);
    curl_url_set(handle.get(), CURLUPART_PASSWORD, nullptr, 0);
    return part(handle.get(), CURLUPART_URL).value_or(scheme_ + "://" + host_);
}

std::optional<URL> URL::resolving(std::string_view reference) const {
    curl::URLHandle handle(curl_url());
    std::string owned(reference);
    if (!handle || owned.find('\0') != std::string::npos ||
        curl_url_set(handle.get(), CURLUPART_URL, text_.c_str(), parseFlags) != CURLUE_OK ||
        curl_url_set(handle.get(), CURLUPART_URL, owned.c_str(), parseFlags) != CURLUE_OK) {
        return std::nullopt;
    }
    auto resolved = part(handle.get(), CURLUPART_URL);
    if (!resolved) {
        return std::nullopt;
    }
    return fromParsed(std::move(*resolved), handle.get());
}

} // namespace platform::net
