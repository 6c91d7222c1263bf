#pragma once

#include <map>
#include <string>
#include <vector>

namespace platform::net {

// The configuration's headers as libcurl header lines. Names or values that could split the
// header block (CR, LF, NUL, a colon in the name) are left out rather than sent. Authorization
// is left out unless `withCredentials`. libcurl's own Expect is switched off, so the only
// headers not from the configuration are Host and Accept.
std::vector<std::string> headerLines(const std::map<std::string, std::string>& headers,
                                     bool withCredentials);

} // namespace platform::net
