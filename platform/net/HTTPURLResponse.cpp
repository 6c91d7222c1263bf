#include "platform/net/HTTPURLResponse.h"

#include <strings.h>

namespace platform::net {

std::optional<std::string> HTTPURLResponse::value(std::string_view name) const {
    for (const auto& [field, value] : allHeaderFields) {
        if (field.size() == name.size() &&
            strncasecmp(field.data(), name.data(), name.size()) == 0) {
            return value;
        }
    }
    return std::nullopt;
}

} // namespace platform::net
