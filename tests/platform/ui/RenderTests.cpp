#include "platform/ui/AngularGradientPainter.h"
#include "platform/ui/Image.h"
#include "platform/ui/PNGWriter.h"
#include "platform/ui/Render.h"
#include "platform/ui/Resources.h"
#include "platform/ui/Shape.h"
#include "platform/ui/Stack.h"
#include "platform/ui/Text.h"
#include "tests/support/TemporaryDirectory.h"
#include "tests/support/TestFiles.h"

#include <cmath>
#include <gtest/gtest.h>
#include <numbers>

namespace platform::ui {
namespace {

using trelvo::test::readFile;
using trelvo::test::writeFile;
constexpr double pi = std::numbers::pi;

// A pixel as cairo stores it: ARGB, premultiplied by its alpha.
std::uint32_t pixelAt(cairo_surface_t* image, int x, int y) {
    cairo_surface_flush(image);
    const auto* row =
        cairo_image_surface_get_data(image) + y * cairo_image_surface_get_stride(image);
    return reinterpret_cast<const std::uint32_t*>(row)[x];
}

std::uint32_t premultiplied(const Color& c) {
    const auto byte = [](double v) { return static_cast<std::uint32_t>(std::lround(v * 255)); };
    return byte(c.a) << 24 | byte(c.r * c.a) << 16 | byte(c.g * c.a) << 8 | byte(c.b * c.a);
}

// Every pixel against the colour its centre (in points) should have, within a tolerance a
// channel; where `expected` gives nothing (an anti-aliased edge) the pixel is not checked.
template <class Expected>
void expectEveryPixel(cairo_surface_t* image, double scale, int tolerance, Expected expected) {
    int failures = 0;
    for (int y = 0; y < cairo_image_surface_get_height(image); ++y) {
        for (int x = 0; x < cairo_image_surface_get_width(image); ++x) {
            const std::optional<Color> color =
                expected(Point{(x + 0.5) / scale, (y + 0.5) / scale});
            const std::uint32_t got = pixelAt(image, x, y),
                                want = color ? premultiplied(*color) : got;
            for (int shift : {0, 8, 16, 24}) {
                if (std::abs(int(got >> shift & 0xFF) - int(want >> shift & 0xFF)) > tolerance &&
                    failures++ < 3) {
                    ADD_FAILURE() << std::hex << got << " instead of " << want << std::dec << " at "
                                  << x << "," << y << " (" << scale << "x)";
                }
            }
        }
    }
}

// Blue at the start turning clockwise into red: the colour a fraction t of the way round.
Color sweptColor(double t) {
    const Color &b = Color::blue, &r = Color::red;
    return {ColorSpace::sRGB, b.r + (r.r - b.r) * t, b.g + (r.g - b.g) * t, b.b + (r.b - b.b) * t};
}

// How far round from three o'clock, clockwise, a point lies from a centre, in turns.
double turnsAt(Point p, Point centre) {
    const double angle = std::atan2(p.y - centre.y, p.x - centre.x);
    return (angle < 0 ? angle + 2 * pi : angle) / (2 * pi);
}

const AngularGradient sweep{Gradient{{Color::blue, Color::red}}, UnitPoint::center,
                            Angle::degrees(0), Angle::degrees(360)};

TEST(AngularGradient, ColourByAngle) {
    const Color c0(ColorSpace::sRGB, 0, 0, 0, 1), c1(ColorSpace::sRGB, 1, 0.5, 0, 0.5),
        c2(ColorSpace::sRGB, 0, 1, 1, 1), quarter(ColorSpace::sRGB, 0.25, 0.125, 0, 0.875);
    const AngularGradientPaint full{{}, 0, 2 * pi, {c0, c1}},
        fromTwelve{{}, -pi / 2, 1.5 * pi, {c0, c1}}, half{{}, 0, pi, {c0, c1}},
        three{{}, 0, 2 * pi, {c0, c1, c2}}, backwards{{}, 2 * pi, 0, {c0, c1}};
    struct Case {
        const char* name;
        const AngularGradientPaint& paint;
        double angle;
        Color expected;
    } const cases[] = {
        {"start", full, 0, c0},
        {"a quarter turn", full, pi / 2, quarter},
        {"negative angles wrap", full, -pi / 2, {ColorSpace::sRGB, 0.75, 0.375, 0, 0.625}},
        {"just before the seam", full, -1e-9, c1},
        {"starting at twelve", fromTwelve, -pi / 2, c0},
        {"three o'clock from twelve", fromTwelve, 0, quarter},
        {"past the end holds the last", half, 1.5 * pi, c1},
        {"the middle stop", three, pi, c1},
        {"between later stops", three, 1.5 * pi, {ColorSpace::sRGB, 0.5, 0.75, 0.5, 0.75}},
        {"counter-clockwise", backwards, 1.5 * pi, quarter},
    };
    for (const auto& c : cases) {
        const Color got = c.paint.colorAt(c.angle);
        EXPECT_LT(std::abs(got.r - c.expected.r) + std::abs(got.g - c.expected.g) +
                      std::abs(got.b - c.expected.b) + std::abs(got.a - c.expected.a),
                  1e-9)
            << c.name;
    }
    for (double angle = -3.14; angle < 3.14; angle += 0.01) {
        EXPECT_NEAR(fastAtan2(7 * std::sin(angle), 7 * std::cos(angle)), angle, 5e-8);
    }
    EXPECT_EQ(fastAtan2(0, 0) + fastAtan2(NAN, 1), 0);
}

TEST(Render, EveryPixelOfAGradientFillAStrokeAndAClip) {
    for (bool clipped : {false, true}) {
        SurfacePtr image(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 8, 8));
        CairoPtr cr(cairo_create(image.get()));
        cairo_rectangle(cr.get(), 0, 0, clipped ? 4 : 8, 8);
        cairo_clip(cr.get());
        render(Rectangle().fill(sweep).frame(8, 8), cr.get(), {8, 8});
        expectEveryPixel(image.get(), 1, 1, [&](Point p) {
            return clipped && p.x > 4 ? Color::clear : sweptColor(turnsAt(p, {4, 4}));
        });
    }
    // A 4-point square in the middle of 8 stroked 2 wide: a band from 1 to 7 around a hole 3 to 5.
    const auto stroked = renderToImage(Rectangle().stroke(Color::red, 2).frame(4, 4), {8, 8}, 1);
    expectEveryPixel(stroked->get(), 1, 0, [](Point p) {
        const auto within = [&](double from, double to) {
            return p.x > from && p.x < to && p.y > from && p.y < to;
        };
        return within(1, 7) && !within(3, 5) ? Color::red : Color::clear;
    });
}

TEST(Render, RingPixelsFollowTheirAngleAtEveryScaleTurnAndKindOfHiDPISurface) {
    // 20 wide between radii 30 and 50 about (50, 50), swept from blue at three o'clock.
    const View ring = Circle().scale(0.8).stroke(sweep, 20).frame(100, 100);
    for (double degrees : {0.0, -90.0}) {
        for (double scale : {1.0, 2.0, 3.0}) {
            const View turned = ring.rotationEffect(Angle::degrees(degrees));
            auto scaled = renderToImage(turned, {100, 100}, scale);
            SurfacePtr device(
                cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 100 * scale, 100 * scale));
            cairo_surface_set_device_scale(device.get(), scale, scale);
            render(turned, CairoPtr(cairo_create(device.get())).get(), {100, 100});
            for (cairo_surface_t* image : {scaled->get(), device.get()}) {
                ASSERT_EQ(cairo_image_surface_get_width(image), 100 * scale);
                expectEveryPixel(image, scale, 1, [&](Point p) -> std::optional<Color> {
                    const double r = std::hypot(p.x - 50, p.y - 50), edge = 0.75 / scale;
                    if (r > 30 + edge && r < 50 - edge) {
                        return sweptColor(std::fmod(turnsAt(p, {50, 50}) - degrees / 360, 1));
                    }
                    return r < 30 - edge || r > 50 + edge ? std::optional(Color::clear)
                                                          : std::nullopt;
                });
            }
        }
    }
    EXPECT_EQ(cairo_image_surface_get_width(renderToImage(Circle(), {85.5, 85.5}, 1.5)->get()), 129)
        << "rounded up";
}

TEST(Render, FilesByTheirExtensionEachReplacedWhole) {
    trelvo::test::TemporaryDirectory folder("ui-render");
    const Color translucent(ColorSpace::sRGB, 0.2, 0.6, 1.0, 0.5);
    const auto png = folder.path() / "widget.png";
    writeFile(png, std::string(100000, 'x'));
    ASSERT_TRUE(
        renderToFile(HStack(VerticalAlignment::center, 0.0, {View(Color::red), View(translucent)}),
                     {20, 10}, 2, png)
            .hasValue());
    SurfacePtr decoded(cairo_image_surface_create_from_png(png.c_str()));
    ASSERT_EQ(cairo_surface_status(decoded.get()), CAIRO_STATUS_SUCCESS);
    expectEveryPixel(decoded.get(), 2, 1,
                     [&](Point p) { return p.x < 10 ? Color::red : translucent; });
    EXPECT_NE(std::filesystem::status(png).permissions() & std::filesystem::perms::others_read,
              std::filesystem::perms::none);
    // The PDF keeps a sweep as vector shading; the SVG has the text's glyphs and is whole.
    ASSERT_TRUE(renderToFile(Circle().stroke(sweep, 4), {20, 20}, 2, folder.path() / "ring.PDF")
                    .hasValue());
    ASSERT_TRUE(renderToFile(Text("Чемпионат Европы"), {200, 30}, 2, folder.path() / "text.svg")
                    .hasValue());
    const auto pdf = readFile(folder.path() / "ring.PDF"),
               svg = readFile(folder.path() / "text.svg");
    EXPECT_TRUE(pdf.starts_with("%PDF") && pdf.find("/ShadingType") != std::string::npos);
    EXPECT_TRUE(svg.starts_with("<?xml") && svg.find("glyph") != std::string::npos &&
                svg.ends_with("</svg>\n"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 3)
        << "no temporary file is left behind";
    const auto unknown = renderToFile(Circle(), {10, 10}, 1, folder.path() / "ring.bmp");
    EXPECT_EQ(unknown.error(), "cannot tell the picture format of " +
                                   (folder.path() / "ring.bmp").string() +
                                   " (use .png, .svg or .pdf)");
    EXPECT_FALSE(renderToFile(Circle(), {10, 10}, 1, folder.path() / "no" / "a.png").hasValue());
    EXPECT_FALSE(
        encodePNG(SurfacePtr(cairo_image_surface_create(CAIRO_FORMAT_A8, 4, 4)).get()).hasValue());
    EXPECT_FALSE(encodePNG(nullptr).hasValue());
}

TEST(Render, ImagesShowAtTheirOwnSizeAndMissingOnesTakeNoSpace) {
    trelvo::test::TemporaryDirectory folder("ui-images");
    const auto& dir = folder.path();
    writeFile(dir / "logo.svg", R"(<svg xmlns="http://www.w3.org/2000/svg" width="40" height="20">)"
                                R"(<rect width="40" height="20" fill="#ff0000"/></svg>)");
    writeFile(dir / "broken.svg", "<svg");
    SurfacePtr blue(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 8, 6));
    const auto paint = CairoPtr(cairo_create(blue.get()));
    cairo_set_source_rgb(paint.get(), 0, 0, 1);
    cairo_paint(paint.get());
    cairo_surface_write_to_png(blue.get(), (dir / "dot.png").c_str());
    // The logo from 2 to 42 drawn sharp at 2x, the dot 8 on from 50 to 58 across, 9 to 15 down.
    const auto image =
        renderToImage(HStack{Image("logo", dir), Image("dot", dir)}.padding(2.0), {60, 24}, 2);
    EXPECT_EQ(pixelAt(image->get(), 4, 24), 0xFFFF0000u);
    EXPECT_EQ(pixelAt(image->get(), 2, 2), 0u) << "the padding stays clear";
    EXPECT_EQ(pixelAt(image->get(), 108, 24), 0xFF0000FFu);
    ScopedResources resources({{}, dir});
    EXPECT_EQ(idealSize(Image("dot")), (Size{8, 6})) << "from the main resources";
    EXPECT_EQ(record(Image("dot"), {8, 6}).items().at(0).imageFile, dir / "dot.png");
    for (const char* name : {"absent", "broken", "../logo", ".hidden", "", "sub/logo"}) {
        EXPECT_EQ(idealSize(Image(name, dir)), (Size{})) << name;
        EXPECT_TRUE(record(Image(name, dir), {50, 50}).items().empty()) << name;
    }
}

} // namespace
} // namespace platform::ui
