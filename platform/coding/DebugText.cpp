#include "platform/coding/DebugText.h"

#include <cstdint>
#include <cstdio>
#include <unicode/utf8.h>

namespace platform::coding {
namespace {

enum class Quotes { escape, keep };

bool breaksLines(UChar32 scalar) {
    return scalar < 0x20 || (scalar >= 0x7F && scalar <= 0x9F) || scalar == 0x2028 ||
           scalar == 0x2029;
}

void appendUnicodeEscape(std::string& out, UChar32 scalar) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "\\u{%X}", static_cast<unsigned>(scalar));
    out += buffer;
}

std::string escaped(std::string_view text, Quotes quotes) {
    std::string out;
    out.reserve(text.size());
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    const auto length = static_cast<int32_t>(text.size());
    int32_t offset = 0;
    while (offset < length) {
        int32_t start = offset;
        UChar32 scalar;
        U8_NEXT(bytes, offset, length, scalar);
        if (scalar < 0) {
            out += "\uFFFD";
            continue;
        }
        bool escapeQuotes = quotes == Quotes::escape;
        switch (scalar) {
        case '"':
            out += escapeQuotes ? "\\\"" : "\"";
            continue;
        case '\\':
            out += escapeQuotes ? "\\\\" : "\\";
            continue;
        case '\n':
            out += "\\n";
            continue;
        case '\r':
            out += "\\r";
            continue;
        case '\t':
            out += "\\t";
            continue;
        case 0:
            out += "\\0";
            continue;
        default:
            break;
        }
        if (breaksLines(scalar)) {
            appendUnicodeEscape(out, scalar);
        } else {
            out.append(text.substr(size_t(start), size_t(offset - start)));
        }
    }
    return out;
}

} // namespace

std::string debugQuoted(std::string_view text) {
    return "\"" + escaped(text, Quotes::escape) + "\"";
}

std::string singleLine(std::string_view text) {
    return escaped(text, Quotes::keep);
}

} // namespace platform::coding
