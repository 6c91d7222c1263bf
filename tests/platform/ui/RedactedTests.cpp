// A placeholder drawn redacted: each line of text a faded rounded bar instead of glyphs, what the
// recording list and cairo alike receive; shapes as they are.

#include "platform/ui/Render.h"
#include "platform/ui/Shape.h"
#include "platform/ui/Stack.h"
#include "platform/ui/Text.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace platform::ui {
namespace {

constexpr Size area{300, 120};

// A rounded bar's bounds in the root's coordinates: its corner arcs, clockwise from the top
// trailing one, are centred a radius in from its edges.
Rect boundsOf(const DisplayItem& bar) {
    std::vector<Point> corners;
    double radius = 0;
    for (const auto& element : bar.path.elements) {
        if (const auto* arc = std::get_if<Path::Arc>(&element)) {
            corners.push_back(bar.toRoot(arc->center));
            radius = arc->radius;
        }
    }
    return {{corners.at(3).x - radius, corners.at(3).y - radius},
            {corners.at(1).x - corners.at(3).x + 2 * radius,
             corners.at(1).y - corners.at(3).y + 2 * radius}};
}

TEST(Redacted, EachLineOfTextIsAFadedRoundedBarAsWideAsTheLine) {
    struct Case {
        std::vector<std::string> lines;
        Color color;
        double opacity;
    };
    const Font font = Font::system(20);
    for (const auto& c :
         {Case{{"1 500"}, Color::red, 0.3}, Case{{"Hello", "мир, wide"}, Color::white, 0.3},
          Case{{"Last"}, Color::primary, 0.85 * 0.3}}) {
        SCOPED_TRACE(c.lines.front());
        std::string text = c.lines.front();
        for (std::size_t i = 1; i < c.lines.size(); ++i) {
            text += "\n" + c.lines[i];
        }
        const View view = Text::verbatim(text).font(font).foregroundColor(c.color);
        const auto glyphs = record(view, area).items(DisplayItem::Kind::text).at(0);
        const Rect textBox{glyphs.toRoot(glyphs.rect.origin), glyphs.rect.size};
        const auto redacted = record(view, area, Redaction::placeholder);

        EXPECT_TRUE(redacted.items(DisplayItem::Kind::text).empty()) << "glyphs were drawn";
        const auto bars = redacted.items(DisplayItem::Kind::fill);
        ASSERT_EQ(bars.size(), c.lines.size());
        for (std::size_t i = 0; i < bars.size(); ++i) {
            const auto bar = boundsOf(bars[i]);
            const double width =
                TextLayout::make(c.lines[i], font, std::nullopt, std::nullopt)->size().width;
            EXPECT_NEAR(bar.size.width, width, 0.01);
            EXPECT_NEAR(bar.minX(), textBox.minX(), 0.01);
            // Between the font's x-height and cap height (0.55 and 0.73 of its size here).
            EXPECT_GE(bar.size.height, 0.55 * font.size);
            EXPECT_LE(bar.size.height, 0.73 * font.size);
            EXPECT_NEAR(bars[i].path.firstArc()->radius, bar.size.height / 2, 1e-9);
            EXPECT_TRUE(bar.minY() >= textBox.minY() && bar.maxY() <= textBox.maxY());
            EXPECT_TRUE(i == 0 || boundsOf(bars[i - 1]).maxY() < bar.minY());
            EXPECT_EQ(bars[i].paint, Paint(c.color.withOpacity(c.opacity)));
        }
    }
}

TEST(Redacted, ShapesAreDrawnAsTheyAre) {
    const View view =
        ZStack{Circle().fill(Color::blue).frame(60, 60), Text::verbatim("12").font(Font::body())};
    const auto shown = record(view, area).items(DisplayItem::Kind::fill);
    const auto redacted = record(view, area, Redaction::placeholder).items(DisplayItem::Kind::fill);
    ASSERT_EQ(redacted.size(), 2u); // the circle, then the bar
    EXPECT_EQ(redacted[0].path, shown.at(0).path);
    EXPECT_EQ(redacted[0].paint, shown.at(0).paint);
}

} // namespace
} // namespace platform::ui
