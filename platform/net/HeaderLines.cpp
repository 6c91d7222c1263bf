#include "platform/net/HeaderLines.h"

#include <algorithm>
#include <strings.h>

namespace platform::net {
namespace {

bool isToken(const std::string& name) {
    return !name.empty() && std::ranges::all_of(name, [](unsigned char c) {
        return c > 0x20 && c < 0x7f && c != ':' && c != ';';
    });
}

bool isSafeValue(const std::string& value) {
    return value.find_first_of(std::string("\r\n\0", 3)) == std::string::npos;
}

bool isAuthorization(const std::string& name) {
    return strcasecmp(name.c_str(), "Authorization") == 0;
}

} // namespace

std::vector<std::string> headerLines(const std::map<std::string, std::string>& headers,
                                     bool withCredentials) {
    std::vector<std::string> lines;
    for (const auto& [name, value] : headers) {
        if (!isToken(name) || !isSafeValue(value) || (!withCredentials && isAuthorization(name))) {
            continue;
        }
        // "Name;" is libcurl's way to send a header with an empty value ("Name:" would remove it).
        lines.push_back(value.empty() ? name + ";" : name + ": " + value);
    }
    lines.emplace_back("Expect:");
    return lines;
}

} // namespace platform::net
