#pragma once

#include <string>
#include <string_view>

namespace platform::coding {

// Text in double quotes with quotes, backslashes and every control or line-breaking character
// escaped, as the platform prints a string's debug description ("a\"b\n" -> "\"a\\\"b\\n\"").
// The result is always one line, whatever the input: descriptions carry text from the wire.
std::string debugQuoted(std::string_view text);

// The same escaping of control and line-breaking characters, without quotes; quotes and
// backslashes are kept. Invalid UTF-8 becomes U+FFFD.
std::string singleLine(std::string_view text);

} // namespace platform::coding
