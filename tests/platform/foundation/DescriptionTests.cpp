#include "platform/foundation/Description.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <ostream>
#include <string>

using namespace platform::foundation;

namespace {

struct DoubleCase {
    double value;
    const char* text;
};

void PrintTo(const DoubleCase& c, std::ostream* os) {
    *os << c.text;
}

class DescribeDouble : public testing::TestWithParam<DoubleCase> {};

TEST_P(DescribeDouble, WritesThePlatformsDefaultForm) {
    EXPECT_EQ(describe(GetParam().value), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Values, DescribeDouble,
    testing::Values(DoubleCase{0.5, "0.5"}, DoubleCase{1.5, "1.5"}, DoubleCase{0.4, "0.4"},
                    DoubleCase{100.0, "100.0"}, DoubleCase{0.0, "0.0"}, DoubleCase{-0.0, "-0.0"},
                    DoubleCase{-2.5, "-2.5"}, DoubleCase{0.1 + 0.2, "0.30000000000000004"},
                    DoubleCase{1.0 / 3.0, "0.3333333333333333"}, DoubleCase{0.0001, "0.0001"},
                    DoubleCase{0.00001, "1e-05"}, DoubleCase{0.000123, "0.000123"},
                    DoubleCase{0.0000123, "1.23e-05"}, DoubleCase{1e15, "1000000000000000.0"},
                    DoubleCase{9007199254740992.0, "9007199254740992.0"},
                    DoubleCase{9007199254740994.0, "9.007199254740994e+15"},
                    DoubleCase{1e16, "1e+16"}, DoubleCase{1.5e20, "1.5e+20"},
                    DoubleCase{5e-324, "5e-324"},
                    DoubleCase{std::numeric_limits<double>::max(), "1.7976931348623157e+308"},
                    DoubleCase{-1e100, "-1e+100"}, DoubleCase{12345.678, "12345.678"},
                    DoubleCase{std::numeric_limits<double>::infinity(), "inf"},
                    DoubleCase{-std::numeric_limits<double>::infinity(), "-inf"},
                    DoubleCase{std::numeric_limits<double>::quiet_NaN(), "nan"},
                    DoubleCase{-std::numeric_limits<double>::quiet_NaN(), "nan"}));

struct TextCase {
    std::string text;
    std::string literal;
};

void PrintTo(const TextCase& c, std::ostream* os) {
    for (unsigned char byte : c.literal) {
        if (byte >= 0x20 && byte < 0x7F) {
            *os << byte;
        } else {
            *os << "%" << std::hex << int(byte) << std::dec;
        }
    }
}

class DebugDescription : public testing::TestWithParam<TextCase> {};

TEST_P(DebugDescription, QuotesAndEscapesLikeASourceLiteral) {
    EXPECT_EQ(debugDescription(GetParam().text), GetParam().literal);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, DebugDescription,
    testing::Values(
        TextCase{"1.2", R"("1.2")"}, TextCase{"", R"("")"}, TextCase{"a\"b", R"("a\"b")"},
        TextCase{"a\\b", R"("a\\b")"}, TextCase{"it's", R"("it\'s")"},
        TextCase{"\n\r\t", R"("\n\r\t")"}, TextCase{std::string("a\0b", 3), R"("a\0b")"},
        TextCase{"\x01\x1B\x7F", R"("\u{01}\u{1B}\u{7F}")"}, TextCase{"Версия 2", "\"Версия 2\""},
        // C1 controls (NEL, CSI) and the line separators would break the one-line log.
        TextCase{"a\u0085b\u009B", R"("a\u{85}b\u{9B}")"},
        TextCase{"1\u20282\u2029", R"("1\u{2028}2\u{2029}")"}, TextCase{"\u00A0", "\"\u00A0\""},
        // Not UTF-8: each maximal ill-formed part becomes one U+FFFD.
        TextCase{"a\xFF"
                 "b",
                 "\"a\uFFFDb\""},
        TextCase{"\xE2\x82", "\"\uFFFD\""}, TextCase{"\xED\xA0\x80", "\"\uFFFD\uFFFD\uFFFD\""},
        TextCase{"\xC0\xAF", "\"\uFFFD\uFFFD\""}, TextCase{"\xF0\x9F\x98\x80", "\"\U0001F600\""}));

} // namespace
