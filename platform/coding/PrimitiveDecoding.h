#pragma once

#include "platform/coding/DecodingError.h"
#include "platform/coding/JSONValue.h"

#include <concepts>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace platform::coding {

// The single values a keyed container can decode.
template <class T>
concept DecodablePrimitive = std::same_as<T, std::int64_t> || std::same_as<T, std::string>;

// Reads one value found at `path`. These throw DecodingError; only the frames of
// JSONDecoder::decode ever see it.
template <DecodablePrimitive T> T decodePrimitive(const JSONValue& value, const CodingPath& path);
template <>
std::int64_t decodePrimitive<std::int64_t>(const JSONValue& value, const CodingPath& path);
template <>
std::string decodePrimitive<std::string>(const JSONValue& value, const CodingPath& path);

// The whole number a JSON number text stands for, if it is one and fits: "1.5e3" -> 1500,
// "-0" -> 0, "12.5" and "9223372036854775808" -> nothing. Exact, whatever the number of digits.
std::optional<std::int64_t> exactInt64(std::string_view jsonNumberText);

// How error texts name what was found instead: "a string/data", "an array", ...
std::string_view typeDescription(const JSONValue& value);

} // namespace platform::coding
