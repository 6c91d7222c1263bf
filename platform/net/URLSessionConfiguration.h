#pragma once

#include <map>
#include <string>

namespace platform::net {

// How a session sends its requests. A plain value: a session keeps its own copy.
struct URLSessionConfiguration {
    // A fresh copy of the platform's defaults on every call.
    static URLSessionConfiguration defaultConfiguration();

    // Added to every request the session sends (e.g. Authorization).
    std::map<std::string, std::string> httpAdditionalHeaders;
    // Seconds a transfer may go without progress (connecting included) before it fails.
    double timeoutIntervalForRequest = 60;
    // Seconds a whole task may take, redirects included.
    double timeoutIntervalForResource = 7 * 24 * 60 * 60;
};

} // namespace platform::net
