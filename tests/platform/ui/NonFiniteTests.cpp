#include "platform/ui/Render.h"
#include "platform/ui/Shape.h"
#include "platform/ui/Stack.h"
#include "platform/ui/Text.h"
#include "tests/platform/ui/PixelProbe.h"

#include <gtest/gtest.h>
#include <limits>

namespace platform::ui {
namespace {

using namespace testing_support;

const double nan = std::numeric_limits<double>::quiet_NaN();
const double inf = std::numeric_limits<double>::infinity();

AngularGradient sweep(double start, double end) {
    return {Gradient{{Color::blue, Color::red}}, UnitPoint::center, Angle::degrees(start),
            Angle::degrees(end)};
}

struct BadCase {
    const char* name;
    View element;
};

void PrintTo(const BadCase& c, std::ostream* os) {
    *os << c.name;
}

// Each element sits over a green marker square; only the marker may show.
class NonFinite : public testing::TestWithParam<BadCase> {
protected:
    static View scene(const View& element) {
        return ZStack{View(Color(ColorSpace::sRGB, 0, 1, 0)).frame(10, 10), element};
    }
};

TEST_P(NonFinite, TheElementDrawsNothing) {
    const auto list = record(scene(GetParam().element), {100, 100});
    ASSERT_EQ(list.items().size(), 1u);
    EXPECT_EQ(std::get<Color>(list.items()[0].paint), Color(ColorSpace::sRGB, 0, 1, 0));
}

TEST_P(NonFinite, RendersWithoutGarbage) {
    for (double scale : {1.0, 2.0}) {
        auto image = renderToImage(scene(GetParam().element), {100, 100}, scale);
        ASSERT_TRUE(image.hasValue());
        for (int y = 0; y < 100 * scale; y += 3) {
            for (int x = 0; x < 100 * scale; x += 3) {
                const Pixel p = pixelAt(image->get(), {x, y});
                EXPECT_TRUE(p == Pixel{} || p == (Pixel{255, 0, 255, 0}))
                    << p << " at " << x << "," << y;
            }
        }
    }
}

const BadCase badCases[] = {
    {"offset_x_nan", Circle().offset(nan, 0)},
    {"offset_y_infinite", Circle().offset(0, inf)},
    {"rotation_nan", Circle().stroke(Color::red, 4).rotationEffect(Angle::degrees(nan))},
    {"rotation_infinite", Circle().rotationEffect(Angle::degrees(-inf))},
    {"trim_to_nan", Circle().trim(0, nan).stroke(Color::red, 4)},
    {"trim_from_minus_infinity", Circle().trim(-inf, 0.5).stroke(Color::red, 4)},
    {"trim_to_infinity", Circle().trim(0, inf).stroke(Color::red, 4)},
    {"scale_nan", Circle().scale(nan).stroke(Color::red, 4)},
    {"scale_infinite", Circle().scale(inf)},
    {"frame_width_nan", Circle().frame(nan, 20)},
    {"frame_height_infinite", Circle().frame(20, inf)},
    {"frame_negative", Circle().frame(-5, 20)},
    {"flexible_min_nan", Circle().frame({.minWidth = nan})},
    {"flexible_max_nan", Circle().frame({.maxHeight = nan})},
    {"flexible_ideal_infinite", Circle().frame({.idealWidth = inf})},
    {"padding_nan", Circle().padding(nan)},
    {"stroke_width_nan", Circle().stroke(Color::red, nan)},
    {"stroke_width_infinite", Circle().stroke(Color::red, inf)},
    {"dash_nan", Circle().stroke(Color::red, StrokeStyle{.lineWidth = 2, .dash = {nan, 2}})},
    {"gradient_angle_nan", Circle().stroke(sweep(nan, 360), 10)},
    {"gradient_end_infinite", Circle().stroke(sweep(0, inf), 10)},
    {"color_nan", Circle().fill(Color(ColorSpace::sRGB, nan, 0, 0))},
    {"inherited_color_infinite", Circle().foregroundColor(Color(ColorSpace::sRGB, 0, 0, 0, inf))},
    {"text_color_nan", Text::verbatim("x").foregroundColor(Color(ColorSpace::sRGB, 0, nan, 0))},
    {"font_size_nan", Text::verbatim("x").font(Font::system(nan))},
    {"stack_spacing_nan", VStack(HorizontalAlignment::center, nan, {Circle(), Circle()})},
    {"nested_inside_a_bad_offset", VStack{Circle(), Text::verbatim("x")}.offset(nan, nan)},
};

INSTANTIATE_TEST_SUITE_P(Elements, NonFinite, testing::ValuesIn(badCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(NonFiniteLayout, ABadElementKeepsItsNeighboursInPlace) {
    const auto good = layout(VStack{Circle().frame(10, 10), Circle().frame(10, 10)}, {});
    const auto withBad =
        layout(VStack{Circle().frame(10, 10).offset(nan, 0), Circle().frame(10, 10)}, {});
    EXPECT_EQ(withBad.frame.size, good.frame.size);
    EXPECT_EQ(withBad.children[1].frame, good.children[1].frame);
}

TEST(NonFiniteLayout, RenderingIntoANonFiniteAreaIsRefused) {
    for (Size area : {Size{nan, 10}, Size{10, inf}, Size{0, 10}, Size{-1, 10}, Size{1e6, 1e6}}) {
        EXPECT_FALSE(renderToPNG(Circle(), area, 1).hasValue()) << area.width << "x" << area.height;
    }
    for (double scale : {nan, inf, 0.0, -2.0}) {
        EXPECT_FALSE(renderToPNG(Circle(), {10, 10}, scale).hasValue()) << scale;
    }
}

} // namespace
} // namespace platform::ui
