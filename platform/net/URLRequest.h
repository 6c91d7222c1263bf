#pragma once

#include "platform/net/URL.h"

#include <string>

namespace platform::net {

// What to fetch. The system sets no header of its own on a request: those come from the
// session's configuration.
struct URLRequest {
    explicit URLRequest(URL url)
        : url(std::move(url)) {}

    URL url;
    std::string httpMethod = "GET";
    // Seconds without progress before the task fails; the session's own limit applies too.
    double timeoutInterval = 60;
};

} // namespace platform::net
