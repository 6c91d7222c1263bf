#include "platform/ui/AngularGradientPainter.h"
#include "platform/ui/Paint.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <numbers>

namespace platform::ui {
namespace {

constexpr double pi = std::numbers::pi;

TEST(FastAtan2, AgreesWithTheLibraryAllAround) {
    double worst = 0;
    for (int i = -200; i <= 200; ++i) {
        for (int j = -200; j <= 200; ++j) {
            const double y = i * 0.37;
            const double x = j * 0.41;
            if (x == 0 && y == 0) {
                continue;
            }
            worst = std::max(worst, std::abs(fastAtan2(y, x) - std::atan2(y, x)));
        }
    }
    EXPECT_LT(worst, 5e-8);
    EXPECT_EQ(fastAtan2(0, 1), 0);
    EXPECT_NEAR(fastAtan2(1, 0), pi / 2, 1e-12);
    EXPECT_NEAR(fastAtan2(0, -1), pi, 1e-12);
    EXPECT_NEAR(fastAtan2(-1, 0), -pi / 2, 1e-12);
    EXPECT_EQ(fastAtan2(0, 0), 0);
    EXPECT_EQ(fastAtan2(std::numeric_limits<double>::quiet_NaN(), 1), 0);
}

const Color c0(ColorSpace::sRGB, 0, 0, 0, 1);
const Color c1(ColorSpace::sRGB, 1, 0.5, 0, 0.5);
const Color c2(ColorSpace::sRGB, 0, 1, 1, 1);

struct ColorCase {
    const char* name;
    AngularGradientPaint paint;
    double angle;
    Color expected;
};

void PrintTo(const ColorCase& c, std::ostream* os) {
    *os << c.name;
}

class AngularColor : public testing::TestWithParam<ColorCase> {};

TEST_P(AngularColor, BlendsByAngle) {
    const auto& c = GetParam();
    const Color got = c.paint.colorAt(c.angle);
    EXPECT_NEAR(got.r, c.expected.r, 1e-9);
    EXPECT_NEAR(got.g, c.expected.g, 1e-9);
    EXPECT_NEAR(got.b, c.expected.b, 1e-9);
    EXPECT_NEAR(got.a, c.expected.a, 1e-9);
}

const AngularGradientPaint fullTurn{{0, 0}, 0, 2 * pi, {c0, c1}};
const AngularGradientPaint fromTwelve{{0, 0}, -pi / 2, 3 * pi / 2, {c0, c1}};
const AngularGradientPaint half{{0, 0}, 0, pi, {c0, c1}};
const AngularGradientPaint three{{0, 0}, 0, 2 * pi, {c0, c1, c2}};
const AngularGradientPaint backwards{{0, 0}, 2 * pi, 0, {c0, c1}};

INSTANTIATE_TEST_SUITE_P(
    Table, AngularColor,
    testing::Values(ColorCase{"start", fullTurn, 0, c0},
                    ColorCase{"quarter", fullTurn, pi / 2, mix(c0, c1, 0.25)},
                    ColorCase{"negative_angles_wrap", fullTurn, -pi / 2, mix(c0, c1, 0.75)},
                    ColorCase{"just_before_the_seam", fullTurn, -1e-9,
                              mix(c0, c1, 1 - 1e-9 / (2 * pi))},
                    ColorCase{"start_at_twelve", fromTwelve, -pi / 2, c0},
                    ColorCase{"three_oclock_from_twelve", fromTwelve, 0, mix(c0, c1, 0.25)},
                    ColorCase{"past_the_end_holds_the_last", half, 1.5 * pi, c1},
                    ColorCase{"middle_stop", three, pi, c1},
                    ColorCase{"between_later_stops", three, 1.5 * pi, mix(c1, c2, 0.5)},
                    ColorCase{"counter_clockwise", backwards, 1.5 * pi, mix(c0, c1, 0.25)}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace platform::ui
