#pragma once

// HTTP Basic credentials check for the demo service.
//   if (!hasCredentials(request.get_header_value("Authorization"), "demo", "quillfen")) -> 401

#include <string_view>

namespace trelvo::demo {

// True when the header is "Basic <base64 of user:password>". The comparison takes the same time
// wherever the first wrong byte is, so the password cannot be guessed byte by byte.
bool hasCredentials(std::string_view authorizationHeader, std::string_view user,
                    std::string_view password);

} // namespace trelvo::demo
