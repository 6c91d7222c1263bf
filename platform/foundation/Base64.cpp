#include "platform/foundation/Base64.h"

namespace platform::foundation {
namespace {

constexpr std::string_view alphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

} // namespace

std::string base64EncodedString(std::span<const std::uint8_t> bytes) {
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    std::size_t i = 0;
    for (; i + 3 <= bytes.size(); i += 3) {
        std::uint32_t group = bytes[i] << 16 | bytes[i + 1] << 8 | bytes[i + 2];
        out += alphabet[group >> 18 & 63];
        out += alphabet[group >> 12 & 63];
        out += alphabet[group >> 6 & 63];
        out += alphabet[group & 63];
    }
    if (auto rest = bytes.size() - i; rest > 0) {
        std::uint32_t group = bytes[i] << 16 | (rest == 2 ? bytes[i + 1] << 8 : 0);
        out += alphabet[group >> 18 & 63];
        out += alphabet[group >> 12 & 63];
        out += rest == 2 ? alphabet[group >> 6 & 63] : '=';
        out += '=';
    }
    return out;
}

std::string base64EncodedString(std::string_view bytes) {
    return base64EncodedString(
        std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
}

} // namespace platform::foundation
