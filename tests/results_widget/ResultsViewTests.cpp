#include "platform/ui/DisplayList.h"
#include "platform/ui/Render.h"
#include "platform/ui/Stack.h"
#include "results_widget/ActivityRing.h"
#include "results_widget/ResultsView.h"
#include "tests/results_widget/ResultsPicture.h"

#include <cmath>
#include <cstdint>
#include <gtest/gtest.h>
#include <limits>
#include <ostream>
#include <string>
#include <vector>

namespace {

using namespace results_widget;
using namespace platform::ui;
using namespace results_test;

constexpr Size widget{170, 170};
constexpr Point center{85, 85};
const double inf = std::numeric_limits<double>::infinity();
const double nan = std::numeric_limits<double>::quiet_NaN();

ResultsEntry entryOf(std::int64_t year, std::int64_t month, double yearCompletion = 0.5,
                     double monthCompletion = 0.4) {
    return ResultsEntry{platform::foundation::Date{}, year, month, yearCompletion, monthCompletion};
}

enum class Layer { figures, yearRing, monthRing, unknown };

bool near(double a, double b) {
    return std::abs(a - b) < 1e-6;
}

// Which child of the view drew the item: captions by their text, bands and dots by how far
// from the centre they lie.
Layer layerOf(const DisplayItem& item) {
    if (item.kind == DisplayItem::Kind::text) {
        return item.text == "y"   ? Layer::yearRing
               : item.text == "m" ? Layer::monthRing
                                  : Layer::figures;
    }
    double radius = -1;
    if (item.kind == DisplayItem::Kind::stroke && item.path.firstArc()) {
        radius = item.path.firstArc()->radius;
    } else if (item.kind == DisplayItem::Kind::fill) {
        const Point c = item.centerInRoot();
        radius = std::hypot(c.x - center.x, c.y - center.y);
    }
    return near(radius, yearRing.radius)    ? Layer::yearRing
           : near(radius, monthRing.radius) ? Layer::monthRing
                                            : Layer::unknown;
}

std::vector<DisplayItem> itemsOf(const DisplayList& list, Layer layer) {
    std::vector<DisplayItem> items;
    for (const auto& item : list.items()) {
        if (layerOf(item) == layer) {
            items.push_back(item);
        }
    }
    return items;
}

void expectSameDrawing(const std::vector<DisplayItem>& actual,
                       const std::vector<DisplayItem>& expected, const std::string& what) {
    ASSERT_EQ(actual.size(), expected.size()) << what;
    for (std::size_t i = 0; i < actual.size(); ++i) {
        EXPECT_EQ(actual[i].kind, expected[i].kind) << what << " item " << i;
        EXPECT_EQ(actual[i].transform, expected[i].transform) << what << " item " << i;
        EXPECT_EQ(actual[i].path, expected[i].path) << what << " item " << i;
        EXPECT_EQ(actual[i].paint, expected[i].paint) << what << " item " << i;
        EXPECT_EQ(actual[i].strokeStyle, expected[i].strokeStyle) << what << " item " << i;
        EXPECT_EQ(actual[i].text, expected[i].text) << what << " item " << i;
    }
}

// --- The figures ------------------------------------------------------------------------------

struct FigureCase {
    std::int64_t year;
    std::int64_t month;
    std::string yearText;
    std::string monthText;
};

void PrintTo(const FigureCase& c, std::ostream* os) {
    *os << c.year << " over " << c.month;
}

class Figures : public testing::TestWithParam<FigureCase> {};

// The test process runs without a user locale, which formats as en_US: groups of three.
TEST_P(Figures, YearAboveMonthGroupedWithPlainSpacesInTheirColours) {
    const auto& c = GetParam();
    const auto figures =
        itemsOf(record(ResultsView{entryOf(c.year, c.month)}, widget), Layer::figures);

    ASSERT_EQ(figures.size(), 2u);
    EXPECT_EQ(figures[0].text, c.yearText);
    EXPECT_EQ(figures[1].text, c.monthText);
    EXPECT_EQ(figures[0].paint, Paint(yearFigure));
    EXPECT_EQ(figures[1].paint, Paint(monthFigure));
    for (const auto& figure : figures) {
        EXPECT_EQ(figure.kind, DisplayItem::Kind::text);
        EXPECT_EQ(figure.font, Font::body());
        EXPECT_NEAR(figure.centerInRoot().x, center.x, 0.5) << figure.text;
    }
    EXPECT_LT(figures[0].centerInRoot().y, figures[1].centerInRoot().y);
    const double top = figures[0].toRoot(figures[0].rect.origin).y;
    const double bottom = figures[1].toRoot({0, figures[1].rect.maxY()}).y;
    EXPECT_NEAR((top + bottom) / 2, center.y, 0.5) << "the column is centred in the rings";
}

INSTANTIATE_TEST_SUITE_P(Values, Figures,
                         testing::Values(FigureCase{1234567, 89000, "1 234 567", "89 000"},
                                         FigureCase{0, 999, "0", "999"},
                                         FigureCase{1000, -5300, "1 000", "-5 300"},
                                         FigureCase{std::numeric_limits<std::int64_t>::max(),
                                                    std::numeric_limits<std::int64_t>::min(),
                                                    "9 223 372 036 854 775 807",
                                                    "-9 223 372 036 854 775 808"}));

// --- The rings --------------------------------------------------------------------------------

TEST(ResultsView, LayersFiguresThenYearRingThenMonthRing) {
    const auto list = record(ResultsView{entryOf(1500, 100, 0.5, 1.3)}, widget);

    std::vector<Layer> order;
    for (const auto& item : list.items()) {
        const Layer layer = layerOf(item);
        ASSERT_NE(layer, Layer::unknown) << "an item of no child, drawn as " << int(item.kind);
        if (order.empty() || order.back() != layer) {
            order.push_back(layer);
        }
    }
    EXPECT_EQ(order, (std::vector{Layer::figures, Layer::yearRing, Layer::monthRing}));
}

struct CompletionCase {
    double year;
    double month;
};

void PrintTo(const CompletionCase& c, std::ostream* os) {
    *os << "year " << c.year << ", month " << c.month;
}

class Completions : public testing::TestWithParam<CompletionCase> {};

TEST_P(Completions, ReachTheRingsUnchanged) {
    const auto& c = GetParam();
    const auto list = record(ResultsView{entryOf(1, 2, c.year, c.month)}, widget);

    expectSameDrawing(itemsOf(list, Layer::yearRing),
                      record(ActivityRing(c.year, "y", RingDiameter::big), widget).items(),
                      "year ring");
    expectSameDrawing(itemsOf(list, Layer::monthRing),
                      record(ActivityRing(c.month, "m", RingDiameter::medium), widget).items(),
                      "month ring");
}

INSTANTIATE_TEST_SUITE_P(FromTheEntry, Completions,
                         testing::Values(CompletionCase{0, 1.3}, CompletionCase{0.5, 0.4},
                                         CompletionCase{0.9799, 0.98}, CompletionCase{inf, nan},
                                         CompletionCase{-inf, -0.2}, CompletionCase{nan, -inf},
                                         CompletionCase{1.0, inf}));

// A plan of 0 makes the ratios infinite or not a number: the closed form for +inf and NaN
// (no track), the open form without an arc for -inf (track and start dot).
TEST(ResultsView, NonFiniteCompletionsPickTheRingsForm) {
    const struct {
        double progress;
        bool track;
    } cases[] = {{inf, false}, {nan, false}, {-inf, true}};
    for (const auto& c : cases) {
        const auto list = record(ResultsView{entryOf(7, 0, c.progress, c.progress)}, widget);
        for (auto layer : {Layer::yearRing, Layer::monthRing}) {
            int tracks = 0;
            int sweeps = 0;
            for (const auto& item : itemsOf(list, layer)) {
                if (item.kind == DisplayItem::Kind::stroke) {
                    (std::holds_alternative<Color>(item.paint) ? tracks : sweeps) += 1;
                }
            }
            EXPECT_EQ(tracks, c.track ? 1 : 0) << c.progress;
            EXPECT_EQ(sweeps, 0) << c.progress;
        }
    }
}

// --- Pixels -----------------------------------------------------------------------------------

class ResultsPixels : public testing::TestWithParam<double> {};

TEST_P(ResultsPixels, RingsShowTheRatiosAroundTheFigures) {
    using namespace platform::ui::testing_support;
    const double scale = GetParam();
    // The widget draws the view on its background; here the background is laid under it.
    const View view = ZStack{View(background), ResultsView{entryOf(1500, 100, 0.5, 0.4)}};
    auto image = renderToImage(view, widget, scale);
    ASSERT_TRUE(image.hasValue()) << image.error();

    auto probes = openRingProbes(yearRing, center, 0.5, scale);
    const auto month = openRingProbes(monthRing, center, 0.4, scale);
    probes.insert(probes.end(), month.begin(), month.end());
    for (const auto& probe : probes) {
        EXPECT_TRUE(isNear(pixelAt(image->get(), pixelOf(probe.at, scale)),
                           premultiplied(probe.expected), 3))
            << probe.what << " at scale " << scale;
    }
    const auto band = figureBand(image->get(), center, scale);
    EXPECT_GT(band.differing, 20 * scale * scale) << "the figures are drawn in the middle";
    EXPECT_LT(distance(band.strongestUpper, premultiplied(yearFigure)),
              distance(band.strongestUpper, premultiplied(monthFigure)))
        << "the year figure is on top";
    EXPECT_LT(distance(band.strongestLower, premultiplied(monthFigure)),
              distance(band.strongestLower, premultiplied(yearFigure)))
        << "the month figure is below";
}

INSTANTIATE_TEST_SUITE_P(Scales, ResultsPixels, testing::Values(1.0, 2.0));

} // namespace
