#pragma once

#include "platform/net/URLError.h"

#include <curl/curl.h>

namespace platform::net {

// The platform's error for a libcurl result. Caps the session enforces itself (body size,
// idle time) are decided before this is asked.
URLError::Code urlErrorCode(CURLcode result);

} // namespace platform::net
