#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform::net {

// An absolute URL, parsed once. Values are immutable; resolving a reference makes a new one.
class URL {
public:
    // Nothing when the text is not an absolute URL (relative, spaces, control characters).
    static std::optional<URL> string(std::string_view text);

    // The text the URL was made from.
    const std::string& absoluteString() const { return text_; }
    const std::string& scheme() const { return scheme_; } // lower case
    const std::string& host() const { return host_; }     // IPv6 literals keep their brackets
    std::optional<int> port() const { return port_; }     // only when written
    int effectivePort() const;                            // the scheme's default when not written
    const std::string& path() const { return path_; }     // "/" when empty
    const std::optional<std::string>& query() const { return query_; }
    const std::optional<std::string>& fragment() const { return fragment_; }
    bool hasUserInfo() const { return hasUserInfo_; }

    // scheme://host:port in lower case with the port always present: what redirects compare.
    std::string origin() const;
    // The text without user name and password, for messages.
    std::string redactedString() const;
    // A reference (absolute or relative, as in a Location header) resolved against this URL.
    std::optional<URL> resolving(std::string_view reference) const;

    friend bool operator==(const URL&, const URL&) = default;

private:
    URL() = default;
    static std::optional<URL> fromParsed(std::string text, void* handle);

    std::string text_;
    std::string scheme_;
    std::string host_;
    std::optional<int> port_;
    std::string path_;
    std::optional<std::string> query_;
    std::optional<std::string> fragment_;
    bool hasUserInfo_ = false;
};

} // namespace platform::net
