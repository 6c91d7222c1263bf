#pragma once

#include "platform/foundation/Expected.h"
#include "platform/net/URL.h"
#include "platform/net/URLError.h"
#include "platform/net/URLRequest.h"
#include "platform/net/URLSessionConfiguration.h"

#include <string>
#include <string_view>

// Where the results service lives and how the suite signs in to it. The base URL is compiled in
// (the TRELVO_SERVICE_URL build setting); the environment variable of the same name overrides
// it at run time, for tests and staging.
struct ServiceConfig {
    static constexpr std::string_view userName = "demo";
    static constexpr std::string_view password = "quillfen";
    static constexpr const char* environmentVariable = "TRELVO_SERVICE_URL";

    // The override when set and not empty, else the compiled-in value.
    static std::string baseURLText();
    // The text as an https origin (scheme, host, optional port; nothing after but one "/"), or
    // the error a fetch ends with.
    static platform::foundation::Expected<platform::net::URL, platform::net::URLError>
    origin(std::string_view text);
    // "Basic " and the Base64 of "user:password".
    static std::string authorizationValue();
};

// A request for one path of the service and a fresh default configuration that carries the
// Authorization header (on the configuration, not the request), as every client of the
// service sends them.
struct AuthorizedFetch {
    platform::net::URLRequest request;
    platform::net::URLSessionConfiguration configuration;
};

platform::foundation::Expected<AuthorizedFetch, platform::net::URLError>
makeAuthorizedFetch(std::string_view path);
