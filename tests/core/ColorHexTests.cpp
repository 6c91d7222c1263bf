#include "core/Extension/Color+Hex.h"

#include <cstdint>
#include <gtest/gtest.h>

namespace {

using platform::ui::Color;
using platform::ui::ColorSpace;

struct HexCase {
    std::uint64_t hex;
    double alpha;
    double red, green, blue;
};

void PrintTo(const HexCase& c, std::ostream* os) {
    *os << std::hex << "0x" << c.hex;
}

class ColorFromHex : public testing::TestWithParam<HexCase> {};

TEST_P(ColorFromHex, SplitsChannelsOver255AndKeepsTheOpacity) {
    const auto& c = GetParam();
    const Color color = colorFromHex(c.hex, c.alpha);
    EXPECT_EQ(color.colorSpace, ColorSpace::sRGB);
    EXPECT_DOUBLE_EQ(color.r, c.red);
    EXPECT_DOUBLE_EQ(color.g, c.green);
    EXPECT_DOUBLE_EQ(color.b, c.blue);
    EXPECT_EQ(color.a, c.alpha);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ColorFromHex,
    testing::Values(HexCase{0x000000, 1, 0, 0, 0}, HexCase{0xFFFFFF, 1, 1, 1, 1},
                    HexCase{0xFF0000, 1, 1, 0, 0}, HexCase{0x00FF00, 1, 0, 1, 0},
                    HexCase{0x0000FF, 1, 0, 0, 1},
                    HexCase{0xBF5722, 1, 191 / 255.0, 87 / 255.0, 34 / 255.0},
                    HexCase{0x232228, 1, 35 / 255.0, 34 / 255.0, 40 / 255.0},
                    HexCase{0xEB6C29, 0.15, 235 / 255.0, 108 / 255.0, 41 / 255.0},
                    HexCase{0x7232B7, 0.2, 114 / 255.0, 50 / 255.0, 183 / 255.0},
                    // Bits above 23 are dropped, not carried into red.
                    HexCase{0x5000080, 1, 0, 0, 128 / 255.0},
                    HexCase{0xFFFFFFFF00000000ull, 1, 0, 0, 0},
                    // Opacity is passed on unclamped.
                    HexCase{0x875FC4, 1.5, 135 / 255.0, 95 / 255.0, 196 / 255.0},
                    HexCase{0xEF8954, -0.25, 239 / 255.0, 137 / 255.0, 84 / 255.0}));

TEST(ColorFromHex, HighBitsGiveTheColourOfTheLow24) {
    EXPECT_EQ(colorFromHex(0x1ABCDEF), colorFromHex(0xABCDEF));
    EXPECT_EQ(colorFromHex(0xFF00000000ABCDEFull, 0.5), colorFromHex(0xABCDEF, 0.5));
}

TEST(ColorFromHex, OpacityDefaultsToExactlyOne) {
    EXPECT_EQ(colorFromHex(0xED742E).a, 1.0);
    EXPECT_DOUBLE_EQ(colorFromHex(0xBF5722).r, 0.749019607843137);
}

} // namespace
