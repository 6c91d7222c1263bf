#include "platform/ui/Layout.h"
#include "platform/ui/Render.h"
#include "platform/ui/Resources.h"
#include "platform/ui/Stack.h"
#include "platform/ui/Text.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <map>

namespace platform::ui {
namespace {

const double nan = std::numeric_limits<double>::quiet_NaN();

std::string shown(const View& view) {
    const auto list = record(view, {400, 100});
    const auto texts = list.items(DisplayItem::Kind::text);
    return texts.empty() ? std::string("<nothing>") : texts.front().text;
}

Resources tableOf(std::map<std::string, std::string> entries) {
    return {[entries = std::move(entries)](std::string_view key) -> std::optional<std::string> {
                if (auto found = entries.find(std::string(key)); found != entries.end()) {
                    return found->second;
                }
                return std::nullopt;
            },
            {}};
}

TEST(TextLookup, KeysAreLookedUpAndVerbatimTextIsNot) {
    ScopedResources table(tableOf({{"hello", "привет"}}));
    EXPECT_EQ(shown(Text("hello")), "привет");
    EXPECT_EQ(shown(Text(std::string("hello"))), "hello");
    EXPECT_EQ(shown(Text::verbatim("hello")), "hello");
}

TEST(TextLookup, AbsentKeysAreShownAsWritten) {
    ScopedResources table(tableOf({}));
    EXPECT_EQ(shown(Text("Made by Dovrel for Trelvo")), "Made by Dovrel for Trelvo");
    EXPECT_EQ(shown(Text(LocalizedStringKey("текущая версия приложения: %@", {"1.0"}))),
              "текущая версия приложения: 1.0");
    EXPECT_EQ(shown(Text(LocalizedStringKey("%lld", {std::int64_t{-1000}}))), "-1000");
}

TEST(TextLookup, InterpolatedKeysAreLookedUpByTheirFormat) {
    std::vector<std::string> asked;
    ScopedResources table({[&](std::string_view key) -> std::optional<std::string> {
                               asked.emplace_back(key);
                               return std::string("version %@ is current");
                           },
                           {}});
    EXPECT_EQ(shown(Text(LocalizedStringKey("текущая версия приложения: %@", {"2.1"}))),
              "version 2.1 is current");
    ASSERT_FALSE(asked.empty());
    EXPECT_EQ(asked.front(), "текущая версия приложения: %@");
}

struct FormatCase {
    const char* format;
    std::vector<LocalizedStringKey::Argument> arguments;
    const char* expected;
};

void PrintTo(const FormatCase& c, std::ostream* os) {
    *os << c.format;
}

class FormatLocalized : public testing::TestWithParam<FormatCase> {};

TEST_P(FormatLocalized, PutsArgumentsInAndKeepsWhatItCannotFill) {
    const auto& c = GetParam();
    EXPECT_EQ(formatLocalized(c.format, c.arguments), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, FormatLocalized,
    testing::Values(FormatCase{"%lld", {std::int64_t{10}}, "10"},
                    FormatCase{"%d дней", {std::int64_t{1}}, "1 дней"},
                    FormatCase{"обновить до версии %@", {"0"}, "обновить до версии 0"},
                    FormatCase{"%2$@ / %1$@", {"a", "b"}, "b / a"}, FormatCase{"100%%", {}, "100%"},
                    FormatCase{"%@ and %@", {"one"}, "one and %@"},
                    FormatCase{"%5$@", {"a"}, "%5$@"}, FormatCase{"%lld", {"text"}, "%lld"},
                    FormatCase{"%@", {std::int64_t{42}}, "42"},
                    FormatCase{"50% off", {}, "50% off"},
                    FormatCase{"trailing %", {}, "trailing %"}, FormatCase{"%0$@", {"a"}, "%0$@"}));

TEST(TextStyle, BodyIsThirteenPointsInTheTestFont) {
    const auto list = record(Text::verbatim("x"), {100, 100});
    const auto text = list.items(DisplayItem::Kind::text).at(0);
    EXPECT_EQ(text.font, Font::body());
    EXPECT_EQ(text.font.size, 13);
    EXPECT_EQ(text.fontFamily, "DejaVu Sans");
    EXPECT_EQ(std::get<Color>(text.paint), Color::primary);
}

TEST(TextStyle, SizesAreAbsolutePoints) {
    const double h13 = layout(Text::verbatim("Hg").font(Font::system(13)), {}).frame.size.height;
    const double h40 = layout(Text::verbatim("Hg").font(Font::system(40)), {}).frame.size.height;
    // A line of DejaVu Sans is 1.164 em; at 96 dpi instead of absolute units it would be 20.2.
    EXPECT_NEAR(h13, 13 * 1.164, 0.6);
    EXPECT_NEAR(h40 / h13, 40.0 / 13.0, 0.05);
}

TEST(TextStyle, OwnAttributesWinOverInheritedOnes) {
    const auto list =
        record(VStack{Text::verbatim("a"), Text::verbatim("b").foregroundColor(Color::red),
                      Text::verbatim("c").font(Font::system(10)).fontWeight(Font::Weight::light),
                      Text::verbatim("d").font(Font::system(40)).bold()}
                   .foregroundColor(Color::white)
                   .font(Font::system(20)),
               {300, 300});
    const auto a = *list.findText("a");
    const auto b = *list.findText("b");
    const auto c = *list.findText("c");
    const auto d = *list.findText("d");
    EXPECT_EQ(std::get<Color>(a.paint), Color::white);
    EXPECT_EQ(a.font.size, 20);
    EXPECT_EQ(std::get<Color>(b.paint), Color::red);
    EXPECT_EQ(c.font, Font::system(10, Font::Weight::light));
    EXPECT_EQ(d.font, Font::system(40, Font::Weight::bold));
}

TEST(TextStyle, InheritedWeightAndBoldApply) {
    const auto list = record(VStack{Text::verbatim("a")}.bold(), {100, 100});
    EXPECT_EQ(list.findText("a")->font.weight, Font::Weight::bold);
}

TEST(TextShaping, CyrillicIsShapedWithRealGlyphs) {
    const std::string hint = "Добавьте Widget в mac os чтобы видеть результаты";
    const auto list = record(Text(hint), {600, 100});
    const auto* text = list.findText(hint);
    ASSERT_NE(text, nullptr);
    // One glyph a character, none of them a missing-glyph box.
    EXPECT_EQ(text->glyphCount, 48);
    auto image = renderToImage(Text(hint), {600, 40}, 1);
    ASSERT_TRUE(image.hasValue());
    const auto* data = cairo_image_surface_get_data(image->get());
    const auto bytes = static_cast<std::size_t>(cairo_image_surface_get_stride(image->get())) *
                       cairo_image_surface_get_height(image->get());
    EXPECT_TRUE(std::any_of(data, data + bytes, [](unsigned char b) { return b != 0; }));
}

TEST(TextWrapping, NarrowProposalWrapsOntoMoreLines) {
    const auto wide = layout(Text::verbatim("one two three four five six"), {}).frame.size;
    const auto narrow =
        layout(Text::verbatim("one two three four five six"), {60.0, std::nullopt}).frame.size;
    EXPECT_LE(narrow.width, 60);
    EXPECT_GT(narrow.height, 2 * wide.height - 1);
}

TEST(TextWrapping, LineLimitTruncatesWithAnEllipsis) {
    const std::string hostile(10000, 'W');
    const auto node = layout(Text::verbatim(hostile).lineLimit(1).frame(300, std::nullopt), {});
    EXPECT_EQ(node.frame.size.width, 300);
    const auto& text = node.children.at(0);
    const auto& content = std::get<TextContent>(text.content);
    EXPECT_LE(text.frame.size.width, 300);
    EXPECT_EQ(content.layout->lineCount(), 1);
    EXPECT_TRUE(content.layout->isEllipsized());
    EXPECT_NEAR(text.frame.size.height, 13 * 1.164, 0.6);
}

TEST(TextWrapping, InheritedLineLimitApplies) {
    const auto node =
        layout(VStack{Text::verbatim(std::string(500, 'x'))}.lineLimit(1), {120.0, 400.0});
    EXPECT_LE(node.frame.size.width, 120);
    EXPECT_EQ(std::get<TextContent>(node.children.at(0).content).layout->lineCount(), 1);
}

TEST(TextLayout, IdealSizeOfAStackOfTexts) {
    const auto first = idealSize(Text::verbatim("Made by Dovrel for Trelvo"));
    const auto second = idealSize(Text::verbatim("1.0"));
    const auto both =
        idealSize(VStack{Text::verbatim("Made by Dovrel for Trelvo"), Text::verbatim("1.0")});
    EXPECT_GT(first.width, 100);
    EXPECT_EQ(both.width, std::max(first.width, second.width));
    EXPECT_EQ(both.height, first.height + 8 + second.height);
}

TEST(TextLayout, UnusableFontSizesDrawNothing) {
    for (double size : {nan, -1.0, 0.0, std::numeric_limits<double>::infinity(), 1e9}) {
        const auto list = record(Text::verbatim("x").font(Font::system(size)), {100, 100});
        EXPECT_TRUE(list.items().empty()) << size;
    }
}

} // namespace
} // namespace platform::ui
