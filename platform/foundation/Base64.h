#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace platform::foundation {

// RFC 4648 Base64 of the bytes: standard alphabet, padded with '=', no line breaks.
std::string base64EncodedString(std::span<const std::uint8_t> bytes);
std::string base64EncodedString(std::string_view bytes);

} // namespace platform::foundation
