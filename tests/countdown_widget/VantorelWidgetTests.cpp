#include "core/Extension/Color+Hex.h"
#include "countdown_widget/VantorelWidget.h"
#include "countdown_widget/VantorelWidgetEntryView.h"
#include "countdown_widget/VantorelWidget_Previews.h"
#include "platform/foundation/Locale.h"
#include "platform/ui/DisplayList.h"
#include "platform/ui/Render.h"
#include "tests/countdown_widget/PicturePixels.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <ostream>
#include <string>
#include <vector>

namespace {

using namespace countdown_widget;
using platform::foundation::Date;
using platform::foundation::ScopedLocale;
using platform::ui::Color;
using platform::ui::DisplayItem;
using platform::ui::DisplayList;
using platform::ui::Font;
using platform::ui::Path;
using platform::ui::Point;
using platform::ui::Size;
using platform::widget::WidgetFamily;

const Color background = colorFromHex(0x232228);

Size sizeOf(WidgetFamily family) {
    auto size = platform::widget::displaySize(family);
    return {size.width, size.height};
}

DisplayList recordWidget(std::int64_t daysUntil, WidgetFamily family) {
    auto content = VantorelWidget().body().content(DaysUntilEntry{Date{}, daysUntil});
    return platform::ui::record(content, sizeOf(family));
}

// The corners of a filled rectangle, in root coordinates.
std::vector<Point> cornersInRoot(const DisplayItem& item) {
    std::vector<Point> corners;
    for (const auto& element : item.path.elements) {
        if (const auto* move = std::get_if<Path::MoveTo>(&element)) {
            corners.push_back(item.toRoot(move->point));
        } else if (const auto* line = std::get_if<Path::LineTo>(&element)) {
            corners.push_back(item.toRoot(line->point));
        }
    }
    return corners;
}

struct CountCase {
    std::int64_t daysUntil;
    std::string locale;
    std::string shown;
};

void PrintTo(const CountCase& c, std::ostream* out) {
    *out << c.daysUntil << " in " << c.locale;
}

struct FamilyCount {
    WidgetFamily family;
    CountCase count;
};

void PrintTo(const FamilyCount& c, std::ostream* out) {
    *out << platform::widget::name(c.family) << ", ";
    PrintTo(c.count, out);
}

class EntryDrawing : public testing::TestWithParam<FamilyCount> {};

TEST_P(EntryDrawing, TheCountInFortyPointBoldOverTheTwoCaptionsInWhite) {
    const auto& [family, count] = GetParam();
    ScopedLocale locale(count.locale);

    auto texts = recordWidget(count.daysUntil, family).items(DisplayItem::Kind::text);

    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[0].text, count.shown);
    EXPECT_EQ(texts[0].font, Font::system(40, Font::Weight::bold));
    EXPECT_EQ(texts[1].text, "дней до события");
    EXPECT_EQ(texts[1].font, Font::body());
    EXPECT_EQ(texts[2].text, "Чемпионат Европы 2021");
    EXPECT_EQ(texts[2].font, Font::system(10, Font::Weight::light));
    for (const auto& text : texts) {
        EXPECT_EQ(text.paint, platform::ui::Paint(Color::white)) << text.text;
        EXPECT_EQ(text.glyphCount,
                  static_cast<int>(std::count_if(
                      text.text.begin(), text.text.end(),
                      [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; })))
            << text.text << " has characters the font lacks";
    }
}

TEST_P(EntryDrawing, TheColumnIsCentredInTheWidget) {
    const auto& [family, count] = GetParam();
    ScopedLocale locale(count.locale);
    const Size size = sizeOf(family);

    auto texts = recordWidget(count.daysUntil, family).items(DisplayItem::Kind::text);

    ASSERT_EQ(texts.size(), 3u);
    for (const auto& text : texts) {
        EXPECT_NEAR(text.centerInRoot().x, size.width / 2, 0.5) << text.text;
    }
    const double top = texts.front().toRoot(texts.front().rect.origin).y;
    const double bottom = texts.back().toRoot({0, texts.back().rect.maxY()}).y;
    EXPECT_NEAR((top + bottom) / 2, size.height / 2, 0.5);
    EXPECT_LT(texts[0].centerInRoot().y, texts[1].centerInRoot().y);
    EXPECT_LT(texts[1].centerInRoot().y, texts[2].centerInRoot().y);
}

// Counts are plain decimal digits whatever the user's locale: no grouping, a minus when past.
const CountCase counts[] = {
    {10, "en_US", "10"},         {1, "ru_RU", "1"},           {0, "ru_RU", "0"},
    {-1, "ru_RU", "-1"},         {-1000, "en_US", "-1000"},   {-1000, "ru_RU", "-1000"},
    {123456, "de_DE", "123456"}, {123456, "hi_IN", "123456"}, {10000, "C", "10000"},
};

std::vector<FamilyCount> familiesAndCounts() {
    std::vector<FamilyCount> cases;
    for (auto family : {WidgetFamily::systemSmall, WidgetFamily::systemMedium}) {
        for (const auto& count : counts) {
            cases.push_back({family, count});
        }
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(SmallAndMedium, EntryDrawing, testing::ValuesIn(familiesAndCounts()));

class WidgetBackground : public testing::TestWithParam<WidgetFamily> {};

TEST_P(WidgetBackground, TheDarkColourIsDrawnFirstAndCoversTheWholeWidget) {
    const Size size = sizeOf(GetParam());

    auto fills = recordWidget(10, GetParam()).items(DisplayItem::Kind::fill);

    ASSERT_EQ(fills.size(), 1u);
    EXPECT_EQ(fills[0].paint, platform::ui::Paint(background));
    auto corners = cornersInRoot(fills[0]);
    ASSERT_FALSE(corners.empty());
    auto [minX, maxX] = std::minmax_element(corners.begin(), corners.end(),
                                            [](Point a, Point b) { return a.x < b.x; });
    auto [minY, maxY] = std::minmax_element(corners.begin(), corners.end(),
                                            [](Point a, Point b) { return a.y < b.y; });
    EXPECT_LE(minX->x, 0);
    EXPECT_LE(minY->y, 0);
    EXPECT_GE(maxX->x, size.width);
    EXPECT_GE(maxY->y, size.height);
}

TEST_P(WidgetBackground, EveryEdgePixelIsTheDarkColourAtOneAndTwoTimes) {
    const Size size = sizeOf(GetParam());
    for (double scale : {1.0, 2.0}) {
        auto content = VantorelWidget::content(DaysUntilEntry{Date{}, -1000});
        auto image = platform::ui::renderToImage(content, size, scale);
        ASSERT_TRUE(image.hasValue()) << image.error();
        const int width = cairo_image_surface_get_width(image->get());
        const int height = cairo_image_surface_get_height(image->get());
        EXPECT_EQ(width, static_cast<int>(size.width * scale));
        EXPECT_EQ(height, static_cast<int>(size.height * scale));
        auto pixels = countdown_test::edgePixels(width, height);
        pixels.insert(pixels.end(),
                      {{0, 0}, {width - 1, 0}, {0, height - 1}, {width - 1, height - 1}});
        for (auto [x, y] : pixels) {
            EXPECT_EQ(countdown_test::rgbAt(image->get(), x, y), 0x232228u)
                << "at " << x << "," << y << " scale " << scale;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Families, WidgetBackground,
                         testing::Values(WidgetFamily::systemSmall, WidgetFamily::systemMedium));

TEST(VantorelWidget, DeclaresItsKindNameDescriptionAndTwoFamilies) {
    auto descriptor = VantorelWidget().body().descriptor();

    EXPECT_EQ(descriptor.kind, "VantorelWidget");
    EXPECT_EQ(descriptor.displayName.key(), "Next big event countdown");
    EXPECT_EQ(descriptor.description.key(), "Ведет отсчет до следующего крупного события");
    EXPECT_EQ(descriptor.families,
              (std::vector{WidgetFamily::systemSmall, WidgetFamily::systemMedium}));
}

TEST(VantorelWidget, ThePreviewIsTheSampleCountInTheSmallFamilyWithoutTheDarkBackground) {
    auto preview = VantorelWidget_Previews::previews();
    auto drawn = platform::ui::record(preview.view, sizeOf(WidgetFamily::systemSmall));

    EXPECT_EQ(preview.context.family, WidgetFamily::systemSmall);
    EXPECT_TRUE(drawn.items(DisplayItem::Kind::fill).empty());
    ASSERT_NE(drawn.findText("10"), nullptr);
    EXPECT_NE(drawn.findText("дней до события"), nullptr);
}

} // namespace
