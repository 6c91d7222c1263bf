#pragma once

#include "platform/net/URL.h"
#include "platform/net/URLError.h"

#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace platform::net {

// Redirects are followed by the session itself, not by libcurl, so that credentials from the
// configuration never travel to another origin and nothing is followed to plain http.
struct RedirectPolicy {
    static constexpr int maximumRedirects = 5;

    struct Deliver {}; // the answer is final: hand it to the task's completion
    struct Follow {
        URL url;
        std::string method;
    };
    using Decision = std::variant<Deliver, Follow, URLError>;

    // What to do with an answer of `status` (and its Location, if any) to a request for
    // `current` made after `redirectsSoFar` redirects.
    static Decision decide(const URL& current, const std::string& method, int status,
                           const std::optional<std::string>& location, int redirectsSoFar);

    // Whether the configuration's Authorization header may go with a request to `hop` in a task
    // that started at `original`.
    static bool carriesCredentials(const URL& hop, const URL& original) {
        return hop.origin() == original.origin();
    }
};

} // namespace platform::net
