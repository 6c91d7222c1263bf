#pragma once

#include <string>
#include <string_view>

namespace platform::foundation {

// The platform's default text form of a double: the shortest digits that read back to the same
// value; a whole number keeps ".0" (100.0, -0.0); exponent form below 1e-4 and above 2^53
// (1e-05, 1e+16, 5e-324); "inf", "-inf", "nan".
std::string describe(double value);

// The text as a string literal in the platform's source form: in double quotes; backslash,
// quotes, newline, return, tab and NUL escaped as \\ \" \' \n \r \t \0; other ASCII control
// characters as \u{XX}. Bytes that are not UTF-8 become U+FFFD.
std::string debugDescription(std::string_view text);

} // namespace platform::foundation
