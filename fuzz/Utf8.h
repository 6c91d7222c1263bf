#pragma once

#include <cstddef>
#include <string_view>

namespace fuzz {

// Strict UTF-8 (RFC 3629): no overlong forms, no surrogates, nothing past U+10FFFF. Written out
// by hand so that it checks the ICU-based code rather than sharing its decoder.
inline bool isValidUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = 0;
        unsigned low = 0x80;
        unsigned high = 0xBF;
        if (lead < 0x80) {
            ++i;
            continue;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            low = lead == 0xE0 ? 0xA0 : 0x80;
            high = lead == 0xED ? 0x9F : 0xBF;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            low = lead == 0xF0 ? 0x90 : 0x80;
            high = lead == 0xF4 ? 0x8F : 0xBF;
        } else {
            return false;
        }
        if (i + length > text.size()) {
            return false;
        }
        for (std::size_t k = 1; k < length; ++k) {
            auto c = static_cast<unsigned char>(text[i + k]);
            unsigned min = k == 1 ? low : 0x80;
            unsigned max = k == 1 ? high : 0xBF;
            if (c < min || c > max) {
                return false;
            }
        }
        i += length;
    }
    return true;
}

} // namespace fuzz
