// exactInt64 against a reference written another way (decimal strings shifted and compared,
// no arithmetic), on arbitrary text and on whole numbers written in every JSON form; and the
// same numbers through the whole decoder, whose parser picks int64, uint64 or double for them.
#include "fuzz/FuzzCheck.h"
#include "platform/coding/CodingKey.h"
#include "platform/coding/Decoder.h"
#include "platform/coding/JSONDecoder.h"
#include "platform/coding/PrimitiveDecoding.h"

#include <array>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <fuzzer/FuzzedDataProvider.h>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

namespace {

using namespace fuzz;
using platform::coding::DecodingError;
using platform::coding::exactInt64;

struct Count {
    std::int64_t n = 0;

    struct CodingKeyTable {
        enum Value { n };
        static constexpr std::array<std::string_view, 1> stringValues{"n"};
    };
    using CodingKeys = platform::coding::StringCodingKey<CodingKeyTable>;

    static Count decode(platform::coding::Decoder& decoder) {
        return Count{decoder.container<CodingKeys>().decode<std::int64_t>(CodingKeys::n)};
    }
};

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// The parts of a JSON number (RFC 8259): -? int frac? exp?
struct NumberParts {
    bool negative = false;
    std::string_view integer;
    std::string_view fraction;
    bool negativeExponent = false;
    std::string_view exponent;
};

std::optional<NumberParts> jsonNumberParts(std::string_view text) {
    NumberParts parts;
    std::size_t i = 0;
    auto digitsFrom = [&](std::size_t start) {
        std::size_t end = start;
        while (end < text.size() && isDigit(text[end])) {
            ++end;
        }
        return end;
    };
    if (i < text.size() && text[i] == '-') {
        parts.negative = true;
        ++i;
    }
    std::size_t end = digitsFrom(i);
    if (end == i || (text[i] == '0' && end > i + 1)) {
        return std::nullopt;
    }
    parts.integer = text.substr(i, end - i);
    i = end;
    if (i < text.size() && text[i] == '.') {
        end = digitsFrom(++i);
        if (end == i) {
            return std::nullopt;
        }
        parts.fraction = text.substr(i, end - i);
        i = end;
    }
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
            parts.negativeExponent = text[i] == '-';
            ++i;
        }
        end = digitsFrom(i);
        if (end == i) {
            return std::nullopt;
        }
        parts.exponent = text.substr(i, end - i);
        i = end;
    }
    if (i != text.size()) {
        return std::nullopt;
    }
    return parts;
}

// The whole number a JSON number stands for, if one in Int64's range.
std::optional<std::int64_t> referenceInt64(const NumberParts& parts) {
    std::string mantissa = std::string(parts.integer) + std::string(parts.fraction);
    mantissa.erase(0, std::min(mantissa.find_first_not_of('0'), mantissa.size()));
    if (mantissa.empty()) {
        return 0;
    }
    std::string_view exponentDigits = parts.exponent;
    exponentDigits.remove_prefix(
        std::min(exponentDigits.find_first_not_of('0'), exponentDigits.size()));
    if (exponentDigits.size() > 7) {
        // Ten million places either way: far out of range, or a fraction of a nonzero mantissa.
        return std::nullopt;
    }
    long long exponent = 0;
    std::from_chars(exponentDigits.data(), exponentDigits.data() + exponentDigits.size(), exponent);
    exponent = (parts.negativeExponent ? -exponent : exponent) - (long long)parts.fraction.size();
    std::string whole;
    if (exponent >= 0) {
        if (mantissa.size() + std::size_t(exponent) > 19) {
            return std::nullopt;
        }
        whole = mantissa + std::string(std::size_t(exponent), '0');
    } else {
        auto dropped = std::size_t(-exponent);
        if (dropped >= mantissa.size() ||
            mantissa.find_first_not_of('0', mantissa.size() - dropped) != std::string::npos) {
            return std::nullopt;
        }
        whole = mantissa.substr(0, mantissa.size() - dropped);
    }
    std::string_view limit = parts.negative ? "9223372036854775808" : "9223372036854775807";
    if (whole.size() > limit.size() || (whole.size() == limit.size() && whole > limit)) {
        return std::nullopt;
    }
    std::string signedText = (parts.negative ? "-" : "") + whole;
    std::int64_t value = 0;
    auto [end, error] =
        std::from_chars(signedText.data(), signedText.data() + signedText.size(), value);
    require(error == std::errc() && end == signedText.data() + signedText.size(),
            "the reference overflowed", signedText);
    return value;
}

// The decoder on {"n": text}: the reference's answer, or "does not fit" as dataCorrupted.
void requireDecoderAgrees(std::string_view text, std::optional<std::int64_t> expected) {
    std::string body = "{\"n\": " + std::string(text) + "}";
    if (!nlohmann::json::accept(body)) {
        return; // beyond a double's range the parser itself refuses the number
    }
    platform::coding::JSONDecoder decoder;
    auto count = decoder.decode<Count>(body);
    if (expected) {
        require(count.hasValue() && count->n == *expected, "the decoder lost a whole number",
                count ? std::to_string(count->n) : count.error().description());
    } else {
        require(!count && count.error().kind == DecodingError::Kind::dataCorrupted &&
                    count.error().context.debugDescription.ends_with("does not fit in Int64."),
                "the decoder took a number that is not a whole Int64",
                count ? std::to_string(count->n) : count.error().description());
    }
}

// `value` written with its decimal point moved `shift` places (made up by the exponent) and
// `extraZeros` more fraction digits.
std::string written(std::int64_t value, int shift, int extraZeros, FuzzedDataProvider& style) {
    std::string digits = std::to_string(value);
    bool negative = digits.front() == '-';
    if (negative) {
        digits.erase(0, 1);
    }
    std::string integer = digits;
    std::string fraction;
    if (shift > 0) {
        if (std::size_t(shift) < digits.size()) {
            integer = digits.substr(0, digits.size() - std::size_t(shift));
            fraction = digits.substr(digits.size() - std::size_t(shift));
        } else {
            integer = "0";
            fraction = std::string(std::size_t(shift) - digits.size(), '0') + digits;
        }
    } else if (shift < 0 && digits != "0") {
        integer = digits + std::string(std::size_t(-shift), '0');
    }
    fraction += std::string(std::size_t(extraZeros), '0');
    std::string text = (negative ? "-" : "") + integer + (fraction.empty() ? "" : "." + fraction);
    if (shift != 0 || style.ConsumeBool()) {
        text += style.ConsumeBool() ? 'E' : 'e';
        int exponent = shift;
        if (exponent < 0) {
            text += '-';
        } else if (style.ConsumeBool()) {
            text += '+';
        }
        text += std::string(style.ConsumeIntegralInRange(0, 3), '0') +
                std::to_string(std::abs(exponent));
    }
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    std::optional<std::int64_t> got = exactInt64(text);
    if (auto parts = jsonNumberParts(text)) {
        std::optional<std::int64_t> expected = referenceInt64(*parts);
        require(got == expected, "exactInt64 differs from the reference",
                std::string(text) + " -> " + (got ? std::to_string(*got) : "none") + ", expected " +
                    (expected ? std::to_string(*expected) : "none"));
        if (text.size() < 400) {
            requireDecoderAgrees(text, expected);
        }
    }

    FuzzedDataProvider provider(data, size);
    auto value = provider.ConsumeIntegral<std::int64_t>();
    int shift = provider.ConsumeIntegralInRange(-25, 25);
    int extraZeros = provider.ConsumeIntegralInRange(0, 30);
    std::string form = written(value, shift, extraZeros, provider);
    auto parts = jsonNumberParts(form);
    require(parts.has_value(), "a constructed form is not a JSON number", form);
    require(exactInt64(form) == value, "exactInt64 lost a whole number", form);
    require(referenceInt64(*parts) == value, "the reference lost a whole number", form);
    requireDecoderAgrees(form, value);
    return 0;
}
