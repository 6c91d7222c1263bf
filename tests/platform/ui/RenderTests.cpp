#include "platform/ui/PNGWriter.h"
#include "platform/ui/Render.h"
#include "platform/ui/Shape.h"
#include "platform/ui/Stack.h"
#include "platform/ui/Text.h"
#include "tests/platform/ui/PixelProbe.h"

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <numbers>

namespace platform::ui {
namespace {

using namespace testing_support;

const AngularGradient rainbow{Gradient{{Color::blue, Color::red}}, UnitPoint::center,
                              Angle::degrees(0), Angle::degrees(360)};

// A 20-point-wide ring of radius 40 around (50, 50), swept from blue at three o'clock.
View sweptRing() {
    return Circle().scale(0.8).stroke(rainbow, 20).frame(100, 100);
}

SurfacePtr decode(const std::vector<std::uint8_t>& png) {
    struct Reader {
        const std::vector<std::uint8_t>* bytes;
        std::size_t at = 0;
    } reader{&png};
    return SurfacePtr(cairo_image_surface_create_from_png_stream(
        [](void* closure, unsigned char* data, unsigned int length) {
            auto* r = static_cast<Reader*>(closure);
            if (r->at + length > r->bytes->size()) {
                return CAIRO_STATUS_READ_ERROR;
            }
            std::copy_n(r->bytes->begin() + static_cast<std::ptrdiff_t>(r->at), length, data);
            r->at += length;
            return CAIRO_STATUS_SUCCESS;
        },
        &reader));
}

std::filesystem::path scratchFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "ui-tests-XXXXXX").string();
    EXPECT_NE(mkdtemp(pattern.data()), nullptr);
    return pattern;
}

std::string readFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

TEST(RenderToImage, PixelSizeIsThePointSizeTimesTheScaleRoundedUp) {
    for (auto [points, scale, pixels] : {std::tuple{Size{170, 170}, 1.0, 170},
                                         {Size{170, 170}, 2.0, 340},
                                         {Size{170, 170}, 3.0, 510},
                                         {Size{85.5, 85.5}, 1.5, 129}}) {
        auto image = renderToImage(Circle(), points, scale);
        ASSERT_TRUE(image.hasValue());
        EXPECT_EQ(cairo_image_surface_get_width(image->get()), pixels);
        EXPECT_EQ(cairo_image_surface_get_height(image->get()), pixels);
    }
}

TEST(RenderToImage, GradientPixelsFollowTheirAngleAtEveryScale) {
    for (double scale : {1.0, 2.0, 3.0}) {
        auto image = renderToImage(sweptRing(), {100, 100}, scale);
        ASSERT_TRUE(image.hasValue());
        for (double degrees : {10.0, 95.0, 180.0, 270.0, 359.0}) {
            const double a = degrees * std::numbers::pi / 180;
            const auto at = pixelOf({50 + 40 * std::cos(a), 50 + 40 * std::sin(a)}, scale);
            const Point c = centerOf(at, scale);
            double angle = std::atan2(c.y - 50, c.x - 50);
            angle = angle < 0 ? angle + 2 * std::numbers::pi : angle;
            const Color expected = mix(Color::blue, Color::red, angle / (2 * std::numbers::pi));
            EXPECT_TRUE(isNear(pixelAt(image->get(), at), premultiplied(expected), 1))
                << degrees << " degrees at " << scale << "x";
        }
    }
}

TEST(RenderToImage, RotationTurnsTheGradientWithTheShape) {
    auto image = renderToImage(sweptRing().rotationEffect(Angle::degrees(-90)), {100, 100}, 2);
    ASSERT_TRUE(image.hasValue());
    // Just clockwise of twelve o'clock the sweep starts in blue; just before it, it ends in red.
    EXPECT_TRUE(isNear(pixelAt(image->get(), pixelOf({52, 10}, 2)), premultiplied(Color::blue), 8));
    EXPECT_TRUE(isNear(pixelAt(image->get(), pixelOf({48, 10}, 2)), premultiplied(Color::red), 8));
}

TEST(RenderIntoCairo, DeviceScaleOfTheTargetGivesTheSamePixelsAsCairoScale) {
    auto scaled = renderToImage(sweptRing(), {100, 100}, 2);
    ASSERT_TRUE(scaled.hasValue());
    SurfacePtr hidpi(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 200, 200));
    cairo_surface_set_device_scale(hidpi.get(), 2, 2);
    {
        CairoPtr cr(cairo_create(hidpi.get()));
        render(sweptRing(), cr.get(), {100, 100});
    }
    for (int y = 0; y < 200; y += 7) {
        for (int x = 0; x < 200; x += 7) {
            ASSERT_TRUE(isNear(pixelAt(hidpi.get(), {x, y}), pixelAt(scaled->get(), {x, y}), 1))
                << x << "," << y;
        }
    }
}

TEST(RenderToPNG, RoundTripsColoursAndOpacity) {
    const Color translucent(ColorSpace::sRGB, 0.2, 0.6, 1.0, 0.5);
    auto png = renderToPNG(ZStack{View(Color::red).frame(10, 10).offset(-10, 0),
                                  View(translucent).frame(10, 10).offset(10, 0)},
                           {40, 20}, 2);
    ASSERT_TRUE(png.hasValue()) << png.error();
    ASSERT_GT(png->size(), 8u);
    EXPECT_EQ(std::string(png->begin() + 1, png->begin() + 4), "PNG");
    const auto decoded = decode(*png);
    ASSERT_EQ(cairo_surface_status(decoded.get()), CAIRO_STATUS_SUCCESS);
    EXPECT_EQ(cairo_image_surface_get_width(decoded.get()), 80);
    EXPECT_EQ(cairo_image_surface_get_height(decoded.get()), 40);
    EXPECT_EQ(pixelAt(decoded.get(), pixelOf({10, 10}, 2)), premultiplied(Color::red));
    EXPECT_TRUE(
        isNear(pixelAt(decoded.get(), pixelOf({30, 10}, 2)), premultiplied(translucent), 1));
    EXPECT_EQ(pixelAt(decoded.get(), {0, 0}), Pixel{});
}

TEST(EncodePNG, RefusesWhatIsNotAnARGBImage) {
    SurfacePtr a8(cairo_image_surface_create(CAIRO_FORMAT_A8, 4, 4));
    EXPECT_FALSE(encodePNG(a8.get()).hasValue());
    EXPECT_FALSE(encodePNG(nullptr).hasValue());
}

TEST(RenderToFile, WritesEachFormatByItsExtension) {
    const auto folder = scratchFolder();
    const View ring = sweptRing();
    for (auto [name, magic] : {std::pair{"ring.png", std::string("\x89PNG")},
                               {"ring.PDF", std::string("%PDF")},
                               {"ring.svg", std::string("<?xml")}}) {
        const auto file = folder / name;
        const auto written = renderToFile(ring, {100, 100}, 2, file);
        ASSERT_TRUE(written.hasValue()) << written.error();
        EXPECT_EQ(readFile(file).substr(0, magic.size()), magic) << name;
    }
    // The PDF keeps the sweep as vector mesh shading, not a picture of it.
    EXPECT_NE(readFile(folder / "ring.PDF").find("/ShadingType"), std::string::npos);
    std::filesystem::remove_all(folder);
}

TEST(RenderToFile, ReplacesAnExistingFileWhole) {
    const auto folder = scratchFolder();
    const auto file = folder / "widget.png";
    std::ofstream(file) << std::string(100000, 'x');
    ASSERT_TRUE(renderToFile(Circle(), {10, 10}, 1, file).hasValue());
    EXPECT_EQ(readFile(file).substr(1, 3), "PNG");
    EXPECT_LT(std::filesystem::file_size(file), 100000u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1)
        << "no temporary file is left behind";
    std::filesystem::remove_all(folder);
}

TEST(RenderToFile, ReportsWhatItCannotDo) {
    const auto folder = scratchFolder();
    const auto unknown = renderToFile(Circle(), {10, 10}, 1, folder / "ring.bmp");
    ASSERT_FALSE(unknown.hasValue());
    EXPECT_NE(unknown.error().find("ring.bmp"), std::string::npos);
    const auto missing = renderToFile(Circle(), {10, 10}, 1, folder / "no" / "such" / "a.png");
    ASSERT_FALSE(missing.hasValue());
    EXPECT_FALSE(missing.error().empty());
    std::filesystem::remove_all(folder);
}

TEST(RenderToFile, VectorOutputOfTextAndShapesIsComplete) {
    const auto folder = scratchFolder();
    const auto file = folder / "text.svg";
    ASSERT_TRUE(
        renderToFile(VStack{Text::verbatim("Чемпионат Европы 2021"), Circle().frame(10, 10)},
                     {200, 60}, 1, file)
            .hasValue());
    const auto svg = readFile(file);
    EXPECT_NE(svg.find("</svg>"), std::string::npos);
    EXPECT_NE(svg.find("glyph"), std::string::npos);
    std::filesystem::remove_all(folder);
}

} // namespace
} // namespace platform::ui
