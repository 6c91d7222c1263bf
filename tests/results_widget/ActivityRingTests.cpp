#include "core/Extension/Color+Hex.h"
#include "platform/ui/Render.h"
#include "platform/ui/Resources.h"
#include "platform/ui/Stack.h"
#include "results_widget/ActivityRing.h"
#include "tests/platform/ui/PixelProbe.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <limits>
#include <numbers>

namespace {

using namespace results_widget;
using namespace platform::ui;
using namespace platform::ui::testing_support;

constexpr double side = 350;
constexpr Point center{175, 175};
const double nan = std::numeric_limits<double>::quiet_NaN();
const double inf = std::numeric_limits<double>::infinity();

struct Palette {
    Color start, end, head, track;
};

Palette paletteOf(RingDiameter d) {
    switch (d) {
    case RingDiameter::small:
        return {Color::blue, Color::blue, Color::blue, Color::blue};
    case RingDiameter::medium:
        return {colorFromHex(0xBF5722), colorFromHex(0xED742E), colorFromHex(0xED742E),
                colorFromHex(0xEB6C29, 0.15)};
    case RingDiameter::big:
        return {colorFromHex(0x7F3CC1), colorFromHex(0x9458D3), colorFromHex(0x9458D3),
                colorFromHex(0x7232B7, 0.2)};
    case RingDiameter::calculated:
        return {Color::primary, Color::pink, Color::purple, Color::secondary};
    }
    return {};
}

double radiusOf(RingDiameter d) {
    return 175 * rawValue(d);
}

// The point on the ring's centre line at a clockwise angle from twelve o'clock.
Point onRing(double radius, double degrees) {
    const double a = degrees * std::numbers::pi / 180;
    return {center.x + radius * std::sin(a), center.y - radius * std::cos(a)};
}

// The clockwise angle from twelve o'clock of a point around the centre, 0...360.
double clockwiseAngle(Point p) {
    double degrees = std::atan2(p.x - center.x, center.y - p.y) * 180 / std::numbers::pi;
    return degrees < 0 ? degrees + 360 : degrees;
}

double wrapped(double degrees) {
    const double w = std::fmod(degrees, 360);
    return w < 0 ? w + 360 : w;
}

bool isGradient(const DisplayItem& item) {
    return std::holds_alternative<AngularGradientPaint>(item.paint);
}

Point near(Point a) {
    return {std::round(a.x * 1e6) / 1e6, std::round(a.y * 1e6) / 1e6};
}

void expectPointNear(Point actual, Point expected, const char* what) {
    EXPECT_NEAR(actual.x, expected.x, 1e-6) << what;
    EXPECT_NEAR(actual.y, expected.y, 1e-6) << what;
}

// --- Sizes -----------------------------------------------------------------------------------

TEST(RingDiameter, RawValuesAndTheirInverse) {
    const std::pair<RingDiameter, double> table[] = {{RingDiameter::small, 0.04},
                                                     {RingDiameter::medium, 0.27},
                                                     {RingDiameter::big, 0.37},
                                                     {RingDiameter::calculated, 1.0}};
    for (const auto& [diameter, raw] : table) {
        EXPECT_EQ(rawValue(diameter), raw);
        EXPECT_EQ(ringDiameter(raw), diameter);
    }
}

TEST(RingDiameter, OnlyExactRawValuesNameASize) {
    for (double raw : {0.3, 0.0, 0.270000001, 0.04 + 1e-17 + 1e-16, -0.27, 2.0, nan, inf}) {
        EXPECT_EQ(ringDiameter(raw), std::nullopt) << raw;
    }
}

// --- Form and layers, read from the display list ----------------------------------------------

enum class Form { open, closed };

struct FormCase {
    double progress;
    Form form;
    bool arc;       // open form: an arc over the track
    bool ringDrawn; // closed form: the sweep ring and head dot have a finite angle to sit at
};

void PrintTo(const FormCase& c, std::ostream* os) {
    *os << "progress " << c.progress;
}

class RingForm : public testing::TestWithParam<FormCase> {};

TEST_P(RingForm, DrawsTheLayersOfItsForm) {
    const auto& c = GetParam();
    const auto palette = paletteOf(RingDiameter::big);
    const auto list = record(ActivityRing(c.progress, "y", RingDiameter::big), {side, side});
    const auto strokes = list.items(DisplayItem::Kind::stroke);
    const auto fills = list.items(DisplayItem::Kind::fill);
    if (c.form == Form::open) {
        ASSERT_EQ(strokes.size(), c.arc ? 2u : 1u);
        EXPECT_EQ(std::get<Color>(strokes[0].paint), palette.track);
        EXPECT_TRUE(strokes[0].path.isClosed());
        if (c.arc) {
            EXPECT_TRUE(isGradient(strokes[1]));
            EXPECT_FALSE(strokes[1].path.isClosed());
        }
        ASSERT_EQ(fills.size(), 1u);
        EXPECT_EQ(std::get<Color>(fills[0].paint), palette.start);
    } else if (c.ringDrawn) {
        ASSERT_EQ(strokes.size(), 1u) << "no track under a closed ring";
        EXPECT_TRUE(isGradient(strokes[0]));
        EXPECT_TRUE(strokes[0].path.isClosed());
        ASSERT_EQ(fills.size(), 1u);
        EXPECT_EQ(std::get<Color>(fills[0].paint), palette.head);
    } else {
        EXPECT_TRUE(strokes.empty());
        EXPECT_TRUE(fills.empty());
    }
    ASSERT_NE(list.findText("y"), nullptr) << "the caption is drawn in every form";
    EXPECT_EQ(list.items().back().kind, DisplayItem::Kind::text) << "the caption is on top";
}

INSTANTIATE_TEST_SUITE_P(Progress, RingForm,
                         testing::Values(FormCase{0, Form::open, false, false},
                                         FormCase{-0.2, Form::open, false, false},
                                         FormCase{-inf, Form::open, false, false},
                                         FormCase{0.5, Form::open, true, false},
                                         FormCase{0.9799, Form::open, true, false},
                                         FormCase{0.98, Form::closed, false, true},
                                         FormCase{1.0, Form::closed, false, true},
                                         FormCase{1.3, Form::closed, false, true},
                                         FormCase{nan, Form::closed, false, false},
                                         FormCase{inf, Form::closed, false, false}));

TEST(ActivityRing, ArcRunsClockwiseFromTwelveOClockThroughTheProgress) {
    for (double p : {0.25, 0.5, 0.9799}) {
        const auto list = record(ActivityRing(p, "m", RingDiameter::medium), {side, side});
        const auto arc = list.items(DisplayItem::Kind::stroke).at(1);
        const auto* geometry = arc.path.firstArc();
        ASSERT_NE(geometry, nullptr);
        const double r = radiusOf(RingDiameter::medium);
        const auto at = [&](double angle) {
            return arc.toRoot({geometry->center.x + geometry->radius * std::cos(angle),
                               geometry->center.y + geometry->radius * std::sin(angle)});
        };
        expectPointNear(at(geometry->startAngle), onRing(r, 0), "start at twelve o'clock");
        expectPointNear(at(geometry->endAngle), onRing(r, 360 * p), "end at the progress");
        EXPECT_NEAR(geometry->endAngle - geometry->startAngle, 2 * std::numbers::pi * p, 1e-12);
        EXPECT_EQ(arc.strokeStyle, (StrokeStyle{.lineWidth = 15,
                                                .lineCap = LineCap::round,
                                                .lineJoin = LineJoin::miter,
                                                .miterLimit = 10}));
    }
}

TEST(ActivityRing, EveryStrokeAndDotIsFifteenPoints) {
    for (double p : {0.4, 1.1}) {
        for (auto d : {RingDiameter::small, RingDiameter::medium, RingDiameter::big,
                       RingDiameter::calculated}) {
            const auto list = record(ActivityRing(p, "y", d), {side, side});
            for (const auto& stroke : list.items(DisplayItem::Kind::stroke)) {
                EXPECT_EQ(stroke.strokeStyle.lineWidth, 15);
                EXPECT_NEAR(stroke.path.firstArc()->radius, radiusOf(d), 1e-9);
            }
            for (const auto& dot : list.items(DisplayItem::Kind::fill)) {
                EXPECT_EQ(dot.path.firstArc()->radius, 7.5);
            }
        }
    }
}

TEST(ActivityRing, StartDotSitsOverTheArcsRoundCap) {
    for (auto d :
         {RingDiameter::small, RingDiameter::medium, RingDiameter::big, RingDiameter::calculated}) {
        const auto list = record(ActivityRing(0.6, "y", d), {side, side});
        const auto& items = list.items();
        const auto dot = std::find_if(items.begin(), items.end(), [](const auto& i) {
            return i.kind == DisplayItem::Kind::fill;
        });
        const auto arc = std::find_if(items.begin(), items.end(), isGradient);
        ASSERT_NE(dot, items.end());
        ASSERT_NE(arc, items.end());
        EXPECT_GT(dot - arc, 0) << "the dot is drawn after the arc";
        expectPointNear(dot->centerInRoot(), onRing(radiusOf(d), 0), "start dot");
        EXPECT_EQ(std::get<Color>(dot->paint), paletteOf(d).start);
    }
}

struct HeadCase {
    double progress;
    double degrees;
};

void PrintTo(const HeadCase& c, std::ostream* os) {
    *os << "progress " << c.progress;
}

class HeadDot : public testing::TestWithParam<HeadCase> {};

TEST_P(HeadDot, SitsAtTheProgressAngleFromTwelveOClock) {
    const auto& c = GetParam();
    for (auto d : {RingDiameter::medium, RingDiameter::big, RingDiameter::calculated}) {
        const auto list = record(ActivityRing(c.progress, "y", d), {side, side});
        const auto fills = list.items(DisplayItem::Kind::fill);
        ASSERT_EQ(fills.size(), 1u);
        expectPointNear(fills[0].centerInRoot(), onRing(radiusOf(d), c.degrees), "head dot");
        // The sweep's seam lies under the dot: its start colour begins there.
        const auto ring = list.items(DisplayItem::Kind::stroke).at(0);
        const auto& sweep = std::get<AngularGradientPaint>(ring.paint);
        const auto* arc = ring.path.firstArc();
        const Point seam = ring.toRoot({sweep.center.x + arc->radius * std::cos(sweep.startAngle),
                                        sweep.center.y + arc->radius * std::sin(sweep.startAngle)});
        expectPointNear(seam, onRing(radiusOf(d), c.degrees), "seam");
    }
}

INSTANTIATE_TEST_SUITE_P(Progress, HeadDot,
                         testing::Values(HeadCase{0.98, 352.8}, HeadCase{1.0, 0},
                                         HeadCase{1.25, 90}, HeadCase{1.3, 108}, HeadCase{2.0, 0},
                                         HeadCase{5.5, 180}));

struct CaptionCase {
    RingDiameter diameter;
    double aboveCenter;
};

void PrintTo(const CaptionCase& c, std::ostream* os) {
    *os << rawValue(c.diameter);
}

class Caption : public testing::TestWithParam<CaptionCase> {};

TEST_P(Caption, IsCentredOnItsLineInTheElevenPointFont) {
    const auto& c = GetParam();
    for (double p : {0.3, 1.2}) {
        const auto list = record(ActivityRing(p, "y", c.diameter), {side, side});
        const auto* caption = list.findText("y");
        ASSERT_NE(caption, nullptr);
        const Point middle = caption->centerInRoot();
        EXPECT_NEAR(middle.x, 175, 1e-6);
        EXPECT_NEAR(middle.y, 175 - c.aboveCenter, 1e-6);
        EXPECT_EQ(caption->font, Font::system(11));
        EXPECT_EQ(std::get<Color>(caption->paint), Color::black);
    }
}

INSTANTIATE_TEST_SUITE_P(Diameters, Caption,
                         testing::Values(CaptionCase{RingDiameter::small, 70},
                                         CaptionCase{RingDiameter::medium, 48.25},
                                         CaptionCase{RingDiameter::big, 65.75},
                                         CaptionCase{RingDiameter::calculated, 176}));

TEST(ActivityRing, TitleIsShownVerbatimNotLookedUp) {
    ScopedResources resources(
        {[](std::string_view) { return std::optional<std::string>("X"); }, {}});
    const auto list = record(ActivityRing(0.5, "y", RingDiameter::big), {side, side});
    EXPECT_NE(list.findText("y"), nullptr);
}

TEST(ActivityRing, ChangingProgressChangesOnlyTheArc) {
    ActivityRing ring(0.4, "y", RingDiameter::big);
    const auto before = record(ring, {side, side});
    ring.progress = 0.7;
    const auto after = record(ring, {side, side});
    ASSERT_EQ(before.items().size(), after.items().size());
    for (std::size_t i = 0; i < before.items().size(); ++i) {
        const auto& a = before.items()[i];
        const auto& b = after.items()[i];
        if (isGradient(a)) {
            EXPECT_NE(a.path, b.path);
        } else {
            EXPECT_EQ(a.path, b.path);
            EXPECT_EQ(a.paint, b.paint);
            EXPECT_EQ(near(a.centerInRoot()), near(b.centerInRoot()));
        }
    }
    EXPECT_EQ(ring.title(), "y");
    EXPECT_EQ(ring.ringDia(), RingDiameter::big);
}

// --- Pixels against the plain-canvas drawing -----------------------------------------------------

// The ring is drawn centred in a slightly larger area, so that probes on the calculated ring's
// centre line (the square's edges) stay inside the picture; points are in the ring's square.
class RingPixels : public testing::TestWithParam<double> {
protected:
    static constexpr double margin = 10;

    SurfacePtr draw(double progress, RingDiameter d, const std::string& title = "") {
        auto image = renderToImage(ActivityRing(progress, title, d),
                                   {side + 2 * margin, side + 2 * margin}, scale());
        EXPECT_TRUE(image.hasValue());
        return std::move(image.value());
    }
    double scale() const { return GetParam(); }
    PixelIndex pixelUnder(Point p) const { return pixelOf({p.x + margin, p.y + margin}, scale()); }
    Pixel at(cairo_surface_t* image, Point p) const { return pixelAt(image, pixelUnder(p)); }
    // The sweep's colour for the pixel under p, at the angle of that pixel's centre.
    Color sweepAt(Point p, const Palette& palette, double seamDegrees) const {
        const Point c = centerOf(pixelUnder(p), scale());
        const double theta = clockwiseAngle({c.x - margin, c.y - margin});
        return mix(palette.start, palette.end, wrapped(theta - seamDegrees) / 360);
    }
};

TEST_P(RingPixels, OpenFormSweepsOverTheTrack) {
    for (auto d : {RingDiameter::medium, RingDiameter::big, RingDiameter::calculated}) {
        const auto palette = paletteOf(d);
        const double r = radiusOf(d);
        const auto image = draw(0.75, d);
        for (double theta : {15.0, 60.0, 90.0, 181.0, 250.0}) {
            const Point p = onRing(r, theta);
            // Translucent palettes show the track through the sweep.
            EXPECT_TRUE(isNear(at(image.get(), p),
                               premultiplied(over(sweepAt(p, palette, 0), palette.track))))
                << "sweep at " << theta << " degrees, diameter " << rawValue(d);
        }
        for (double theta : {300.0, 330.0}) {
            EXPECT_TRUE(isNear(at(image.get(), onRing(r, theta)), premultiplied(palette.track)))
                << "track at " << theta << " degrees";
        }
        if (palette.start.a == 1) {
            EXPECT_TRUE(isNear(at(image.get(), onRing(r, 0)), premultiplied(palette.start)))
                << "start dot";
        }
        EXPECT_EQ(at(image.get(), center), Pixel{}) << "the inside stays clear";
    }
}

TEST_P(RingPixels, NoArcAtOrBelowZero) {
    for (double p : {0.0, -0.2, -inf}) {
        const auto palette = paletteOf(RingDiameter::big);
        const auto image = draw(p, RingDiameter::big);
        for (double theta : {30.0, 90.0, 200.0, 330.0}) {
            EXPECT_TRUE(isNear(at(image.get(), onRing(radiusOf(RingDiameter::big), theta)),
                               premultiplied(palette.track)))
                << p << " at " << theta;
        }
    }
}

TEST_P(RingPixels, ClosedFormTurnsItsSeamToTheHeadDot) {
    for (double p : {0.98, 1.25, 1.3}) {
        for (auto d : {RingDiameter::medium, RingDiameter::big}) {
            const auto palette = paletteOf(d);
            const double r = radiusOf(d);
            const auto image = draw(p, d);
            const double seam = wrapped(360 * p);
            EXPECT_TRUE(isNear(at(image.get(), onRing(r, seam)), premultiplied(palette.head)))
                << "head dot at " << seam;
            for (double fromSeam : {15.0, 90.0, 200.0, 345.0}) {
                const Point q = onRing(r, seam + fromSeam);
                EXPECT_TRUE(isNear(at(image.get(), q), premultiplied(sweepAt(q, palette, seam))))
                    << "progress " << p << ", " << fromSeam << " degrees past the seam";
            }
        }
    }
}

TEST_P(RingPixels, SmallRingCoversItsCentreInBlue) {
    const auto image = draw(0.5, RingDiameter::small, "y");
    EXPECT_TRUE(isNear(at(image.get(), center), premultiplied(Color::blue)));
}

TEST_P(RingPixels, NothingOutsideTheSquareButTheCalculatedRingsOuterHalf) {
    constexpr double margin = 40;
    for (auto d :
         {RingDiameter::small, RingDiameter::medium, RingDiameter::big, RingDiameter::calculated}) {
        for (double p : {0.5, 1.3}) {
            // The ring centred in a larger area, so that whatever spills is caught.
            auto image = renderToImage(ActivityRing(p, d == RingDiameter::calculated ? "" : "y", d),
                                       {side + 2 * margin, side + 2 * margin}, scale());
            ASSERT_TRUE(image.hasValue());
            const int pixels = static_cast<int>((side + 2 * margin) * scale());
            int spilled = 0;
            for (int y = 0; y < pixels; ++y) {
                for (int x = 0; x < pixels; ++x) {
                    const Point c = centerOf({x, y}, scale());
                    const bool inside = c.x >= margin && c.x <= margin + side && c.y >= margin &&
                                        c.y <= margin + side;
                    if (inside || pixelAt(image->get(), {x, y}).a == 0) {
                        continue;
                    }
                    ++spilled;
                    const double distance =
                        std::hypot(c.x - margin - center.x, c.y - margin - center.y);
                    ASSERT_EQ(d, RingDiameter::calculated)
                        << "paint outside at " << c.x << "," << c.y;
                    ASSERT_LE(distance, 175 + 7.5 + 1 / scale()) << "beyond the outer edge";
                }
            }
            if (d == RingDiameter::calculated) {
                EXPECT_GT(spilled, 0) << "half of the calculated ring's stroke lies outside";
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Scales, RingPixels, testing::Values(1.0, 2.0));

// A picture of each form, for a person to look at.
TEST(ActivityRingPictures, WritesEachFormAsPNG) {
    const auto folder = std::filesystem::path(TRELVO_BINARY_DIR) / "pictures";
    std::filesystem::create_directories(folder);
    const struct {
        const char* name;
        View view;
    } pictures[] = {
        {"ring-big-open-0.65", ActivityRing(0.65, "y", RingDiameter::big)},
        {"ring-big-zero", ActivityRing(0, "y", RingDiameter::big)},
        {"ring-medium-closed-1.3", ActivityRing(1.3, "m", RingDiameter::medium)},
        {"ring-small-0.5", ActivityRing(0.5, "s", RingDiameter::small)},
        {"ring-calculated-0.4", ActivityRing(0.4, "c", RingDiameter::calculated)},
        {"rings-year-and-month", ZStack{ActivityRing(0.72, "y", RingDiameter::big),
                                        ActivityRing(1.3, "m", RingDiameter::medium)}
                                     .background(colorFromHex(0x232228))},
    };
    for (const auto& picture : pictures) {
        const auto file = folder / (std::string(picture.name) + ".png");
        const auto written = renderToFile(picture.view, {side, side}, 2, file);
        ASSERT_TRUE(written.hasValue()) << written.error();
        std::ifstream in(file, std::ios::binary);
        char signature[8] = {};
        in.read(signature, 8);
        EXPECT_EQ(std::string(signature + 1, 3), "PNG") << file;
    }
}

} // namespace
