#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace platform::net {

// The bytes of a body.
using Data = std::vector<std::uint8_t>;

// The same bytes seen as text, for parsers that read characters (JSON).
inline std::string_view asStringView(const Data& data) {
    return {reinterpret_cast<const char*>(data.data()), data.size()};
}

} // namespace platform::net
