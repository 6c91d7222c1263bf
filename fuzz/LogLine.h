#pragma once

#include "fuzz/FuzzCheck.h"
#include "fuzz/Utf8.h"

#include <string_view>

namespace fuzz {

enum class Charset { anyUnicode, printableAscii };

// A decoding error's description goes to standard output as one log line: it must be valid
// UTF-8 without C0/C1 controls, DEL or the Unicode line and paragraph separators, and with
// `printableAscii` it must not carry any non-ASCII text from the wire either.
inline void requireOneLogLine(std::string_view line, Charset charset) {
    require(isValidUtf8(line), "log line is not valid UTF-8", line);
    for (std::size_t i = 0; i < line.size(); ++i) {
        auto c = static_cast<unsigned char>(line[i]);
        require(c >= 0x20 && c != 0x7F, "log line holds a C0 control or DEL", line);
        if (charset == Charset::printableAscii) {
            require(c < 0x80, "log line holds text from the wire", line);
        }
        if (c == 0xC2 && i + 1 < line.size()) {
            auto next = static_cast<unsigned char>(line[i + 1]);
            require(next < 0x80 || next > 0x9F, "log line holds a C1 control", line);
        }
        if (c == 0xE2 && i + 2 < line.size() && static_cast<unsigned char>(line[i + 1]) == 0x80) {
            auto last = static_cast<unsigned char>(line[i + 2]);
            require(last != 0xA8 && last != 0xA9, "log line holds U+2028 or U+2029", line);
        }
    }
}

} // namespace fuzz
