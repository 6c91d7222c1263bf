// A placeholder drawn redacted: every line of text a rounded bar in the text's colour, faded,
// instead of glyphs; everything else as it is.

#include "platform/ui/CairoHandles.h"
#include "platform/ui/Render.h"
#include "platform/ui/Shape.h"
#include "platform/ui/Stack.h"
#include "platform/ui/Text.h"
#include "tests/platform/ui/PixelProbe.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <vector>

namespace platform::ui {
namespace {

constexpr Size area{300, 120};

// A filled path's bounds in the root's coordinates, and its corner radius.
struct Bar {
    Rect bounds;
    double radius = 0;
};

Bar barOf(const DisplayItem& item) {
    double minX = std::numeric_limits<double>::infinity(), minY = minX;
    double maxX = -minX, maxY = -minX;
    double radius = 0;
    for (const auto& element : item.path.elements) {
        if (const auto* arc = std::get_if<Path::Arc>(&element)) {
            const auto center = item.toRoot(arc->center);
            minX = std::min(minX, center.x - arc->radius);
            maxX = std::max(maxX, center.x + arc->radius);
            minY = std::min(minY, center.y - arc->radius);
            maxY = std::max(maxY, center.y + arc->radius);
            radius = arc->radius;
        }
    }
    return {{{minX, minY}, {maxX - minX, maxY - minY}}, radius};
}

double laidOutWidth(const std::string& line, const Font& font) {
    return TextLayout::make(line, font, std::nullopt, std::nullopt)->size().width;
}

TEST(Redacted, EachLineOfTextIsAFadedRoundedBarAsWideAsTheLine) {
    struct Case {
        const char* name;
        std::vector<std::string> lines;
        Color color;
        double expectedOpacity;
    };
    const Case cases[] = {
        {"one line", {"1 500"}, Color::red, 0.3},
        {"two lines", {"Hello", "мир, wide"}, Color::white, 0.3},
        {"a colour with its own opacity", {"Last"}, Color::primary, 0.85 * 0.3},
        {"nothing to show", {""}, Color::red, 0.3},
    };
    const Font font = Font::system(20);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string text;
        for (const auto& line : c.lines) {
            text += (text.empty() ? "" : "\n") + line;
        }
        const View view = Text::verbatim(text).font(font).foregroundColor(c.color);
        const auto shownBox = record(view, area).items(DisplayItem::Kind::text).at(0);
        const auto redacted = record(view, area, Redaction::placeholder);

        EXPECT_TRUE(redacted.items(DisplayItem::Kind::text).empty()) << "glyphs were drawn";
        const auto bars = redacted.items(DisplayItem::Kind::fill);
        const auto lines = std::count_if(c.lines.begin(), c.lines.end(),
                                         [](const std::string& line) { return !line.empty(); });
        ASSERT_EQ(bars.size(), static_cast<std::size_t>(lines));
        const Rect box{shownBox.toRoot(shownBox.rect.origin), shownBox.rect.size};
        for (std::size_t i = 0; i < bars.size(); ++i) {
            const auto bar = barOf(bars[i]);
            EXPECT_NEAR(bar.bounds.size.width, laidOutWidth(c.lines[i], font), 0.01);
            EXPECT_NEAR(bar.bounds.minX(), box.minX(), 0.01);
            // Between the font's x-height and cap height (about 0.55 and 0.73 of its size).
            EXPECT_GE(bar.bounds.size.height, 0.5 * font.size);
            EXPECT_LE(bar.bounds.size.height, 0.75 * font.size);
            EXPECT_NEAR(bar.radius, bar.bounds.size.height / 2, 1e-9);
            EXPECT_GE(bar.bounds.minY(), box.minY());
            EXPECT_LE(bar.bounds.maxY(), box.maxY());
            EXPECT_EQ(bars[i].paint, Paint(c.color.withOpacity(c.expectedOpacity)));
        }
        if (bars.size() == 2) {
            EXPECT_LT(barOf(bars[0]).bounds.maxY(), barOf(bars[1]).bounds.minY());
        }
    }
}

TEST(Redacted, ShapesAreDrawnAsTheyAre) {
    const View view =
        ZStack{Circle().fill(Color::blue).frame(60, 60), Text::verbatim("12").font(Font::body())};
    const auto shown = record(view, area).items(DisplayItem::Kind::fill);
    const auto redacted = record(view, area, Redaction::placeholder).items(DisplayItem::Kind::fill);
    ASSERT_EQ(shown.size(), 1u);
    ASSERT_EQ(redacted.size(), 2u); // the circle, then the bar
    EXPECT_EQ(redacted[0].path, shown[0].path);
    EXPECT_EQ(redacted[0].paint, shown[0].paint);
}

TEST(Redacted, CairoPaintsTheBarWhereTheCapitalsWouldBe) {
    using namespace testing_support;
    const View view = Text::verbatim("HHHH").font(Font::system(40)).foregroundColor(Color::white);
    const auto bar = barOf(record(view, area, Redaction::placeholder).items().at(0)).bounds;
    SurfacePtr image(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 600, 240));
    CairoPtr cr(cairo_create(image.get()));
    cairo_scale(cr.get(), 2, 2);
    render(view, cr.get(), area, Redaction::placeholder);

    EXPECT_TRUE(isNear(pixelAt(image.get(), pixelOf(bar.center(), 2)),
                       premultiplied(Color::white.withOpacity(0.3))));
    // Above the bar, where the capitals' tops would be, nothing is drawn.
    EXPECT_EQ(pixelAt(image.get(), pixelOf({bar.midX(), bar.minY() - 1}, 2)), Pixel{});
}

} // namespace
} // namespace platform::ui
