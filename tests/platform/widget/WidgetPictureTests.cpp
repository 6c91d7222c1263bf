#include "platform/ui/CairoHandles.h"
#include "platform/widget/WidgetPicture.h"

#include <cstring>
#include <gtest/gtest.h>

namespace {

using namespace platform::widget;
namespace ui = platform::ui;

struct Pixel {
    int a, r, g, b;
};

Pixel pixelAt(cairo_surface_t* surface, int x, int y) {
    cairo_surface_flush(surface);
    auto* data = cairo_image_surface_get_data(surface);
    auto stride = cairo_image_surface_get_stride(surface);
    std::uint32_t value;
    std::memcpy(&value, data + y * stride + x * 4, 4);
    return {int(value >> 24), int(value >> 16 & 0xff), int(value >> 8 & 0xff), int(value & 0xff)};
}

ui::SurfacePtr draw(ui::Size points, double scale, bool stale) {
    ui::SurfacePtr surface(cairo_image_surface_create(
        CAIRO_FORMAT_ARGB32, int(points.width * scale), int(points.height * scale)));
    ui::CairoPtr cr(cairo_create(surface.get()));
    cairo_scale(cr.get(), scale, scale);
    drawWidget(cr.get(), ui::View(ui::Color::blue), points, stale);
    return surface;
}

struct ProbeCase {
    const char* name;
    double x, y; // in points
    bool covered;
};

void PrintTo(const ProbeCase& c, std::ostream* out) {
    *out << c.name;
}

class RoundedClip : public testing::TestWithParam<std::tuple<ProbeCase, double>> {};

TEST_P(RoundedClip, CornersAreTransparentAndTheRestIsTheWidget) {
    auto [probe, scale] = GetParam();
    auto surface = draw({170, 170}, scale, false);
    auto pixel = pixelAt(surface.get(), int(probe.x * scale), int(probe.y * scale));
    if (probe.covered) {
        EXPECT_EQ(pixel.a, 255);
        EXPECT_EQ(pixel.b, 255); // system blue
    } else {
        EXPECT_EQ(pixel.a, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Probes, RoundedClip,
    testing::Combine(testing::Values(ProbeCase{"topLeftCorner", 1, 1, false},
                                     ProbeCase{"topRightCorner", 168.5, 1.5, false},
                                     ProbeCase{"bottomLeftCorner", 2, 168, false},
                                     ProbeCase{"bottomRightCorner", 168, 168, false},
                                     // 45° inside the arc of radius 22: just within the shape
                                     ProbeCase{"insideTheArc", 22 - 14, 22 - 14, true},
                                     ProbeCase{"topEdgeMiddle", 85, 0.5, true},
                                     ProbeCase{"leftEdgeMiddle", 0.5, 85, true},
                                     ProbeCase{"centre", 85, 85, true}),
                     testing::Values(1.0, 2.0, 3.0)));

TEST(StaleBadge, IsDrawnInTheTopTrailingCornerOnlyWhenStale) {
    ui::Size medium{364, 170};
    auto fresh = draw(medium, 1, false);
    auto stale = draw(medium, 1, true);
    int x = int(medium.width + StaleBadge::center.x);
    int y = int(StaleBadge::center.y);

    auto clean = pixelAt(fresh.get(), x, y);
    EXPECT_EQ(clean.b, 255);
    auto badge = pixelAt(stale.get(), x, y);
    EXPECT_GT(badge.r, 200); // amber over blue
    EXPECT_LT(badge.b, 100);
    // Away from the badge the widget's own drawing is unchanged.
    auto elsewhere = pixelAt(stale.get(), 182, 85);
    EXPECT_EQ(elsewhere.b, 255);
    EXPECT_EQ(elsewhere.a, 255);
}

std::uint32_t bigEndian(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    return std::uint32_t(bytes[at]) << 24 | std::uint32_t(bytes[at + 1]) << 16 |
           std::uint32_t(bytes[at + 2]) << 8 | bytes[at + 3];
}

TEST(EncodeWidget, PNGHasThePixelSizeOfTheFamilyAtTheScale) {
    for (int scale : {1, 2, 3}) {
        auto png =
            encodeWidget(OutputFormat::png, ui::View(ui::Color::blue), {364, 170}, scale, false);
        ASSERT_TRUE(png) << png.error();
        ASSERT_GT(png->size(), 24u);
        EXPECT_EQ(std::memcmp(png->data(), "\x89PNG", 4), 0);
        EXPECT_EQ(bigEndian(*png, 16), 364u * scale);
        EXPECT_EQ(bigEndian(*png, 20), 170u * scale);
    }
}

TEST(EncodeWidget, VectorFormatsAreWholeDocuments) {
    auto svg = encodeWidget(OutputFormat::svg, ui::View(ui::Color::blue), {170, 170}, 1, true);
    ASSERT_TRUE(svg) << svg.error();
    std::string text(svg->begin(), svg->end());
    EXPECT_EQ(text.rfind("<?xml", 0), 0u);
    EXPECT_NE(text.find("</svg>"), std::string::npos);

    auto pdf = encodeWidget(OutputFormat::pdf, ui::View(ui::Color::blue), {170, 170}, 1, false);
    ASSERT_TRUE(pdf) << pdf.error();
    std::string document(pdf->begin(), pdf->end());
    EXPECT_EQ(document.rfind("%PDF", 0), 0u);
    EXPECT_NE(document.find("%%EOF"), std::string::npos);
}

} // namespace
