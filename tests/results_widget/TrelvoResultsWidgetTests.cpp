#include "platform/ui/DisplayList.h"
#include "platform/ui/Render.h"
#include "results_widget/Provider.h"
#include "results_widget/ResultsView.h"
#include "results_widget/TrelvoResultsWidget.h"
#include "tests/results_widget/ResultsPicture.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <ostream>
#include <vector>

namespace {

using namespace results_widget;
using namespace platform::ui;
using namespace results_test;
using platform::widget::TimelineProviderContext;
using platform::widget::WidgetFamily;

const ResultsEntry sample{platform::foundation::Date{}, 1234567, 89000, 0.72, 1.3};

DisplayList recordWidget(const ResultsEntry& entry, Size size) {
    return record(TrelvoResultsWidget().body().content(entry), size);
}

Rect boundsInRoot(const DisplayItem& item) {
    std::vector<Point> corners;
    for (const auto& element : item.path.elements) {
        if (const auto* move = std::get_if<Path::MoveTo>(&element)) {
            corners.push_back(item.toRoot(move->point));
        } else if (const auto* line = std::get_if<Path::LineTo>(&element)) {
            corners.push_back(item.toRoot(line->point));
        }
    }
    if (corners.empty()) {
        return {};
    }
    auto [minX, maxX] = std::minmax_element(corners.begin(), corners.end(),
                                            [](Point a, Point b) { return a.x < b.x; });
    auto [minY, maxY] = std::minmax_element(corners.begin(), corners.end(),
                                            [](Point a, Point b) { return a.y < b.y; });
    return {{minX->x, minY->y}, {maxX->x - minX->x, maxY->y - minY->y}};
}

TEST(TrelvoResultsWidget, DeclaresItsKindNameDescriptionAndOnlyTheSmallFamily) {
    const auto descriptor = TrelvoResultsWidget().body().descriptor();

    EXPECT_EQ(descriptor.kind, "TrelvoResultsWidget");
    EXPECT_EQ(descriptor.displayName.key(), "Trelvo Results");
    EXPECT_EQ(descriptor.description.key(), "Shows project results");
    EXPECT_EQ(descriptor.families, std::vector{WidgetFamily::systemSmall});
}

class ProposedSize : public testing::TestWithParam<Size> {};

TEST_P(ProposedSize, BackgroundFillsAllOfItWithTheViewCentred) {
    const Size size = GetParam();
    const auto list = recordWidget(sample, size);

    ASSERT_FALSE(list.items().empty());
    const auto& first = list.items().front();
    EXPECT_EQ(first.kind, DisplayItem::Kind::fill) << "the background is drawn first";
    EXPECT_EQ(first.paint, Paint(background));
    const Rect bounds = boundsInRoot(first);
    EXPECT_LE(bounds.origin.x, 0);
    EXPECT_LE(bounds.origin.y, 0);
    EXPECT_GE(bounds.maxX(), size.width);
    EXPECT_GE(bounds.maxY(), size.height);

    const struct {
        const char* text;
        double above;
    } captions[] = {{"y", 65.75}, {"m", 48.25}};
    for (const auto& caption : captions) {
        const auto* item = list.findText(caption.text);
        ASSERT_NE(item, nullptr) << caption.text;
        EXPECT_NEAR(item->centerInRoot().x, size.width / 2, 1e-6) << caption.text;
        EXPECT_NEAR(item->centerInRoot().y, size.height / 2 - caption.above, 1e-6) << caption.text;
    }
    const auto* year = list.findText("1 234 567");
    ASSERT_NE(year, nullptr);
    EXPECT_NEAR(year->centerInRoot().x, size.width / 2, 0.5);
}

// Sizes the rings fit in: a smaller one shows the rings' outer parts over its edges, as the
// toolkit's frames do not clip.
TEST(TrelvoResultsWidget, EveryEdgePixelIsTheBackgroundAtOneAndTwoTimes) {
    using namespace platform::ui::testing_support;
    const std::pair<Size, double> cases[] = {
        {{170, 170}, 1}, {{170, 170}, 2}, {{364, 170}, 1}, {{364, 382}, 2}, {{900, 700}, 1}};
    for (const auto& [size, scale] : cases) {
        auto image = renderToImage(TrelvoResultsWidget::content(sample), size, scale);
        ASSERT_TRUE(image.hasValue()) << image.error();
        const int width = cairo_image_surface_get_width(image->get());
        const int height = cairo_image_surface_get_height(image->get());
        auto pixels = edgePixels(width, height);
        pixels.insert(pixels.end(),
                      {{0, 0}, {width - 1, 0}, {0, height - 1}, {width - 1, height - 1}});
        for (auto at : pixels) {
            EXPECT_TRUE(isNear(pixelAt(image->get(), at), premultiplied(background), 0))
                << at.x << "," << at.y << " of " << width << "x" << height;
        }
    }
}

// The family sizes, one smaller than the view's own rings and one far larger.
INSTANTIATE_TEST_SUITE_P(Sizes, ProposedSize,
                         testing::Values(Size{170, 170}, Size{364, 170}, Size{364, 382},
                                         Size{90, 60}, Size{900, 700}));

TEST(TrelvoResultsWidget, ThePlaceholderShowsZerosAndEmptyRings) {
    const auto placeholder =
        Provider().placeholder(TimelineProviderContext::forFamily(WidgetFamily::systemSmall));
    const auto list = recordWidget(placeholder, {170, 170});

    std::vector<std::string> texts;
    for (const auto& text : list.items(DisplayItem::Kind::text)) {
        texts.push_back(text.text);
    }
    EXPECT_EQ(texts, (std::vector<std::string>{"0", "0", "y", "m"}));
    const auto strokes = list.items(DisplayItem::Kind::stroke);
    ASSERT_EQ(strokes.size(), 2u) << "two tracks and no arc";
    EXPECT_EQ(strokes[0].paint, Paint(yearRing.track));
    EXPECT_EQ(strokes[1].paint, Paint(monthRing.track));
    const auto fills = list.items(DisplayItem::Kind::fill);
    ASSERT_EQ(fills.size(), 3u) << "the background and two start dots";
    EXPECT_EQ(fills[1].paint, Paint(yearRing.start));
    EXPECT_EQ(fills[2].paint, Paint(monthRing.start));
    for (std::size_t i = 1; i < fills.size(); ++i) {
        EXPECT_NEAR(fills[i].centerInRoot().x, 85, 1e-6) << "start dots at twelve o'clock";
    }
}

TEST(TrelvoResultsWidget, EntryViewIsTheResultsViewAndNothingElse) {
    for (Size size : {Size{170, 170}, Size{40, 40}, Size{800, 500}}) {
        const auto entryView = record(TrelvoResultsWidgetEntryView{sample}, size).items();
        const auto resultsView = record(ResultsView{sample}, size).items();
        ASSERT_EQ(entryView.size(), resultsView.size());
        for (std::size_t i = 0; i < entryView.size(); ++i) {
            EXPECT_EQ(entryView[i].kind, resultsView[i].kind) << i;
            EXPECT_EQ(entryView[i].transform, resultsView[i].transform) << i;
            EXPECT_EQ(entryView[i].path, resultsView[i].path) << i;
            EXPECT_EQ(entryView[i].paint, resultsView[i].paint) << i;
            EXPECT_EQ(entryView[i].text, resultsView[i].text) << i;
        }
    }
}

TEST(TrelvoResultsWidget, ThePreviewIsAnEmptyEntryInTheSmallFamilyWithoutTheBackground) {
    const auto preview = TrelvoResultsWidget_Previews::previews();
    const auto list = record(preview.view, {170, 170});

    EXPECT_EQ(preview.context.family, WidgetFamily::systemSmall);
    for (const auto& fill : list.items(DisplayItem::Kind::fill)) {
        EXPECT_NE(fill.paint, Paint(background));
    }
    std::vector<std::string> texts;
    for (const auto& text : list.items(DisplayItem::Kind::text)) {
        texts.push_back(text.text);
    }
    EXPECT_EQ(texts, (std::vector<std::string>{"0", "0", "y", "m"}));
    EXPECT_EQ(list.items(DisplayItem::Kind::stroke).size(), 2u) << "both rings at progress 0";
}

} // namespace
