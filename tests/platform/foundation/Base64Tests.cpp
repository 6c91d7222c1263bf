#include "platform/foundation/Base64.h"

#include <array>
#include <gtest/gtest.h>
#include <ostream>
#include <string>

using namespace platform::foundation;

namespace {

struct Vector {
    std::string bytes;
    const char* encoded;
};

void PrintTo(const Vector& v, std::ostream* os) {
    *os << (*v.encoded ? v.encoded : "(empty)");
}

class Base64Encoding : public testing::TestWithParam<Vector> {};

TEST_P(Base64Encoding, MatchesRfc4648) {
    EXPECT_EQ(base64EncodedString(GetParam().bytes), GetParam().encoded);
}

INSTANTIATE_TEST_SUITE_P(
    Vectors, Base64Encoding,
    testing::Values(Vector{"", ""}, Vector{"f", "Zg=="}, Vector{"fo", "Zm8="},
                    Vector{"foo", "Zm9v"}, Vector{"foob", "Zm9vYg=="}, Vector{"fooba", "Zm9vYmE="},
                    Vector{"foobar", "Zm9vYmFy"}, Vector{"demo:quillfen", "ZGVtbzpxdWlsbGZlbg=="},
                    Vector{std::string("\xFF\xFE\x00\xFB\xEF", 5), "//4A++8="},
                    Vector{"логин:пароль", "0LvQvtCz0LjQvTrQv9Cw0YDQvtC70Yw="}));

TEST(Base64Encoding, LongInputHasNoLineBreaks) {
    auto encoded = base64EncodedString(std::string(300, 'a'));
    EXPECT_EQ(encoded.size(), 400u);
    EXPECT_EQ(encoded.find_first_of("\r\n"), std::string::npos);
}

TEST(Base64Encoding, BytesAndTextGiveTheSameResult) {
    std::array<std::uint8_t, 4> bytes{0x00, 0x10, 0x83, 0xFF};
    EXPECT_EQ(base64EncodedString(bytes), "ABCD/w==");
}

} // namespace
