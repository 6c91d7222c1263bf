#include "platform/coding/PrimitiveDecoding.h"

#include <limits>

namespace platform::coding {
namespace {

struct TypeNames {
    std::string_view qualified;
    std::string_view plain;
};

constexpr TypeNames int64Names{"Swift.Int64", "Int64"};
constexpr TypeNames stringNames{"Swift.String", "String"};

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

[[noreturn]] void throwTypeMismatch(TypeNames type, const JSONValue& found,
                                    const CodingPath& path) {
    throw DecodingError::typeMismatch(
        std::string(type.qualified),
        {path, "Expected to decode " + std::string(type.plain) + " but found " +
                   std::string(typeDescription(found)) + " instead."});
}

[[noreturn]] void throwValueNotFound(TypeNames type, const CodingPath& path) {
    throw DecodingError::valueNotFound(
        std::string(type.qualified),
        {path, "Expected " + std::string(type.plain) + " value but found null instead."});
}

void rejectNull(TypeNames type, const JSONValue& value, const CodingPath& path) {
    if (value.as<JSONNull>()) {
        throwValueNotFound(type, path);
    }
}

} // namespace

std::string_view typeDescription(const JSONValue& value) {
    struct Describe {
        std::string_view operator()(const JSONNull&) const { return "a null value"; }
        std::string_view operator()(bool) const { return "a bool"; }
        std::string_view operator()(const JSONNumber&) const { return "a number"; }
        std::string_view operator()(const std::string&) const { return "a string/data"; }
        std::string_view operator()(const JSONArray&) const { return "an array"; }
        std::string_view operator()(const JSONObject&) const { return "a dictionary"; }
    };
    return std::visit(Describe{}, value.storage);
}

std::optional<std::int64_t> exactInt64(std::string_view text) {
    size_t i = 0;
    const size_t n = text.size();
    bool negative = i < n && text[i] == '-';
    i += negative ? 1 : 0;
    std::string digits;
    int64_t fractionLength = 0;
    while (i < n && isDigit(text[i])) {
        digits += text[i++];
    }
    if (i < n && text[i] == '.') {
        for (++i; i < n && isDigit(text[i]); ++i, ++fractionLength) {
            digits += text[i];
        }
    }
    if (digits.empty()) {
        return std::nullopt;
    }
    int64_t exponent = 0;
    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        bool negativeExponent = i < n && text[i] == '-';
        i += (i < n && (text[i] == '-' || text[i] == '+')) ? 1 : 0;
        if (i == n || !isDigit(text[i])) {
            return std::nullopt;
        }
        // Saturated: beyond this nothing but zero is a whole Int64 either way.
        for (; i < n && isDigit(text[i]); ++i) {
            exponent = std::min<int64_t>(exponent * 10 + (text[i] - '0'), 1'000'000'000'000);
        }
        exponent = negativeExponent ? -exponent : exponent;
    }
    if (i != n) {
        return std::nullopt;
    }
    size_t first = digits.find_first_not_of('0');
    if (first == std::string::npos) {
        return 0;
    }
    size_t last = digits.find_last_not_of('0');
    int64_t scale = exponent - fractionLength + int64_t(digits.size() - 1 - last);
    int64_t length = int64_t(last - first + 1);
    if (scale < 0 || length + scale > 19) {
        return std::nullopt;
    }
    // Nineteen digits always fit in 64 unsigned bits.
    uint64_t magnitude = 0;
    for (size_t k = first; k <= last; ++k) {
        magnitude = magnitude * 10 + uint64_t(digits[k] - '0');
    }
    for (int64_t k = 0; k < scale; ++k) {
        magnitude *= 10;
    }
    constexpr auto largest = uint64_t(std::numeric_limits<int64_t>::max());
    if (magnitude > largest + (negative ? 1 : 0)) {
        return std::nullopt;
    }
    if (negative) {
        return magnitude == largest + 1 ? std::numeric_limits<int64_t>::min() : -int64_t(magnitude);
    }
    return int64_t(magnitude);
}

template <>
std::int64_t decodePrimitive<std::int64_t>(const JSONValue& value, const CodingPath& path) {
    rejectNull(int64Names, value, path);
    const auto* number = value.as<JSONNumber>();
    if (!number) {
        throwTypeMismatch(int64Names, value, path);
    }
    std::optional<int64_t> whole;
    if (const auto* integer = std::get_if<std::int64_t>(&number->value)) {
        whole = *integer;
    } else if (const auto* large = std::get_if<std::uint64_t>(&number->value)) {
        if (*large <= uint64_t(std::numeric_limits<int64_t>::max())) {
            whole = int64_t(*large);
        }
    } else {
        whole = exactInt64(number->text);
    }
    if (!whole) {
        throw DecodingError::dataCorrupted(
            {path, "Parsed JSON number <" + number->text + "> does not fit in Int64."});
    }
    return *whole;
}

template <>
std::string decodePrimitive<std::string>(const JSONValue& value, const CodingPath& path) {
    rejectNull(stringNames, value, path);
    const auto* text = value.as<std::string>();
    if (!text) {
        throwTypeMismatch(stringNames, value, path);
    }
    return *text;
}

} // namespace platform::coding
