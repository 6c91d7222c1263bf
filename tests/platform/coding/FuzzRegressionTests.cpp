// Inputs the fuzzers (fuzz/) found, kept as cases so that a fix stays fixed in the unit tests too.
#include "platform/coding/JSONDecoder.h"

#include <array>
#include <cstdint>
#include <gtest/gtest.h>
#include <ostream>
#include <string>

using namespace platform::coding;

namespace {

struct Figure {
    std::int64_t figure = 0;

    struct CodingKeyTable {
        enum Value { figure };
        static constexpr std::array<std::string_view, 1> stringValues{"figure"};
    };
    using CodingKeys = StringCodingKey<CodingKeyTable>;

    static Figure decode(Decoder& decoder) {
        return Figure{decoder.container<CodingKeys>().decode<std::int64_t>(CodingKeys::figure)};
    }
};

struct Bytes {
    std::string text;
    std::size_t nulAt;
};
void PrintTo(const Bytes& c, std::ostream* out) {
    for (char ch : c.text) {
        *out << (ch == '\0' ? std::string("\\0") : std::string(1, ch));
    }
}

class NulByte : public testing::TestWithParam<Bytes> {};

// The parser underneath stops at a NUL byte as if the input ended there, which once let a valid
// value through with anything at all behind it.
TEST_P(NulByte, IsNeverValidJSON) {
    JSONDecoder decoder;
    decoder.keyDecodingStrategy = JSONDecoder::KeyDecodingStrategy::convertFromSnakeCase;
    auto figure = decoder.decode<Figure>(GetParam().text);
    ASSERT_FALSE(figure) << figure->figure;
    const DecodingError& error = figure.error();
    EXPECT_EQ(error.kind, DecodingError::Kind::dataCorrupted) << error.description();
    EXPECT_EQ(error.context.debugDescription, "The given data was not valid JSON.");
    ASSERT_TRUE(error.context.underlyingError);
    EXPECT_TRUE(error.context.underlyingError->message.ends_with(
        " around character " + std::to_string(GetParam().nulAt) + "."))
        << error.context.underlyingError->message;
    EXPECT_EQ(error.description().find('\0'), std::string::npos);
}

using namespace std::string_literals;
INSTANTIATE_TEST_SUITE_P(FoundByFuzzing, NulByte,
                         testing::Values(Bytes{"7\0"s, 1}, Bytes{"{}\0"s, 2}, Bytes{"\0"s, 0},
                                         Bytes{"{\"figure\": 1}\0{\"figure\": 2}"s, 13},
                                         Bytes{"{\"figure\": 1} \0 garbage"s, 14},
                                         Bytes{"[1, \0 2]"s, 4}, Bytes{"{\"figure\": 1\0}"s, 12},
                                         Bytes{"{\"figure\": \"a\0\"}"s, 13}));

} // namespace
