#include "core/Extension/Color+Hex.h"

#include <gtest/gtest.h>

TEST(ColorFromHex, SplitsTheLow24BitsIntoChannelsOver255AndKeepsTheOpacity) {
    constexpr auto sRGB = platform::ui::ColorSpace::sRGB;
    const struct {
        std::uint64_t hex;
        double alpha;
        platform::ui::Color color;
    } cases[] = {
        {0x000000, 1, {sRGB, 0, 0, 0, 1}},
        {0xFFFFFF, 1, {sRGB, 1, 1, 1, 1}},
        {0xFF0000, 1, {sRGB, 1, 0, 0, 1}},
        {0xBF5722, 0.15, {sRGB, 191 / 255.0, 87 / 255.0, 34 / 255.0, 0.15}},
        // Bits above 23 are dropped, not carried into red; the opacity is not clamped.
        {0x5000080, 1, {sRGB, 0, 0, 128 / 255.0, 1}},
        {0xFFFFFFFF00000000ull, 1, {sRGB, 0, 0, 0, 1}},
        {0x875FC4, 1.5, {sRGB, 135 / 255.0, 95 / 255.0, 196 / 255.0, 1.5}},
        {0xEF8954, -0.25, {sRGB, 239 / 255.0, 137 / 255.0, 84 / 255.0, -0.25}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(colorFromHex(c.hex, c.alpha), c.color) << std::hex << c.hex;
    }
    EXPECT_EQ(colorFromHex(0xED742E).a, 1.0) << "opaque unless told";
}
