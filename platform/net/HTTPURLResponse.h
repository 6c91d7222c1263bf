#pragma once

#include "platform/net/URL.h"

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform::net {

// The status and headers of the final answer of a task (after any redirects).
struct HTTPURLResponse {
    URL url;
    int statusCode = 0;
    // In the order received; a name may occur more than once.
    std::vector<std::pair<std::string, std::string>> allHeaderFields;

    // The first value of the named header, the name compared without regard to case.
    std::optional<std::string> value(std::string_view forHTTPHeaderField) const;
};

} // namespace platform::net
