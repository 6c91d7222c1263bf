#include "platform/foundation/Description.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace platform::foundation {
namespace {

// Above 2^53 not every integer is a double, so the platform stops writing such values in full.
constexpr double largestInFull = 9007199254740992.0;

struct Shortest {
    std::string digits; // no sign, no point: "15" for 1.5e+20
    int exponent;       // of the first digit
};

Shortest shortestDigits(double magnitude) {
    char buffer[32];
    auto end =
        std::to_chars(buffer, buffer + sizeof buffer, magnitude, std::chars_format::scientific).ptr;
    std::string_view text(buffer, end - buffer);
    auto e = text.find('e');
    Shortest result{std::string(1, text[0]), 0};
    if (e > 2) {
        result.digits += text.substr(2, e - 2);
    }
    std::from_chars(text.data() + e + (text[e + 1] == '+' ? 2 : 1), text.data() + text.size(),
                    result.exponent);
    return result;
}

std::string exponentForm(const Shortest& number) {
    std::string out(1, number.digits[0]);
    if (number.digits.size() > 1) {
        out += '.';
        out += number.digits.substr(1);
    }
    out += number.exponent < 0 ? "e-" : "e+";
    auto magnitude = std::abs(number.exponent);
    if (magnitude < 10) {
        out += '0';
    }
    out += std::to_string(magnitude);
    return out;
}

std::string decimalForm(const Shortest& number) {
    const auto& digits = number.digits;
    if (number.exponent < 0) {
        return "0." + std::string(-number.exponent - 1, '0') + digits;
    }
    auto whole = static_cast<std::size_t>(number.exponent) + 1;
    if (digits.size() > whole) {
        return digits.substr(0, whole) + "." + digits.substr(whole);
    }
    return digits + std::string(whole - digits.size(), '0') + ".0";
}

constexpr char32_t replacement = U'\uFFFD';

// Decodes one scalar at text[i]; an ill-formed sequence yields U+FFFD for its maximal subpart.
char32_t nextScalar(std::string_view text, std::size_t& i) {
    auto byte = [&](std::size_t at) { return static_cast<unsigned char>(text[at]); };
    unsigned char lead = byte(i++);
    if (lead < 0x80) {
        return lead;
    }
    int length;
    char32_t scalar;
    unsigned char low = 0x80, high = 0xBF; // allowed range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, scalar = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, scalar = lead & 0x0F;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, scalar = lead & 0x07;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return replacement;
    }
    for (int k = 1; k < length; ++k) {
        if (i >= text.size()) {
            return replacement;
        }
        unsigned char next = byte(i);
        bool allowed = k == 1 ? next >= low && next <= high : next >= 0x80 && next <= 0xBF;
        if (!allowed) {
            return replacement;
        }
        scalar = scalar << 6 | (next & 0x3F);
        ++i;
    }
    return scalar;
}

void appendUtf8(std::string& out, char32_t scalar) {
    if (scalar < 0x80) {
        out += static_cast<char>(scalar);
    } else if (scalar < 0x800) {
        out += static_cast<char>(0xC0 | scalar >> 6);
        out += static_cast<char>(0x80 | (scalar & 0x3F));
    } else if (scalar < 0x10000) {
        out += static_cast<char>(0xE0 | scalar >> 12);
        out += static_cast<char>(0x80 | (scalar >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (scalar & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | scalar >> 18);
        out += static_cast<char>(0x80 | (scalar >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (scalar >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (scalar & 0x3F));
    }
}

void appendEscaped(std::string& out, char32_t scalar) {
    constexpr std::string_view hex = "0123456789ABCDEF";
    switch (scalar) {
    case U'\\':
        out += "\\\\";
        return;
    case U'"':
        out += "\\\"";
        return;
    case U'\'':
        out += "\\'";
        return;
    case U'\0':
        out += "\\0";
        return;
    case U'\n':
        out += "\\n";
        return;
    case U'\r':
        out += "\\r";
        return;
    case U'\t':
        out += "\\t";
        return;
    default:
        break;
    }
    // C1 controls and the Unicode line and paragraph separators are escaped too: a described
    // text is printed as one log line, and a terminal or a log reader must see it as one.
    bool lineBreaking = scalar == 0x2028 || scalar == 0x2029;
    if (scalar < 0x20 || (scalar >= 0x7F && scalar <= 0x9F) || lineBreaking) {
        out += "\\u{";
        std::string digits;
        for (char32_t rest = scalar; rest != 0 || digits.size() < 2; rest >>= 4) {
            digits.insert(digits.begin(), hex[rest & 15]);
        }
        out += digits;
        out += '}';
        return;
    }
    appendUtf8(out, scalar);
}

} // namespace

std::string describe(double value) {
    if (std::isnan(value)) {
        return "nan";
    }
    if (std::isinf(value)) {
        return value < 0 ? "-inf" : "inf";
    }
    std::string sign = std::signbit(value) ? "-" : "";
    double magnitude = std::fabs(value);
    if (magnitude == 0) {
        return sign + "0.0";
    }
    auto number = shortestDigits(magnitude);
    if (number.exponent < -4 || magnitude > largestInFull) {
        return sign + exponentForm(number);
    }
    return sign + decimalForm(number);
}

std::string debugDescription(std::string_view text) {
    std::string out = "\"";
    out.reserve(text.size() + 2);
    for (std::size_t i = 0; i < text.size();) {
        appendEscaped(out, nextScalar(text, i));
    }
    out += '"';
    return out;
}

} // namespace platform::foundation
