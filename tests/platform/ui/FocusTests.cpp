#include "platform/ui/Button.h"
#include "platform/ui/CairoCanvas.h"
#include "platform/ui/Focus.h"
#include "platform/ui/Render.h"
#include "platform/ui/Stack.h"
#include "platform/ui/Text.h"
#include "tests/platform/ui/PixelProbe.h"

#include <cmath>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

namespace platform::ui {
namespace {

using namespace testing_support;

// Four buttons, one of them moved off by a geometry that is not finite (so it draws nothing),
// each recording its name when pressed.
struct Panel {
    std::vector<std::string> pressed;

    View button(const std::string& name) {
        return Button([this, name] { pressed.push_back(name); }, Text::verbatim(name));
    }
    View body() {
        return VStack{button("one"), HStack{button("two"), button("hidden").offset(NAN, 0)},
                      Text::verbatim("not a button"), button("three")};
    }
    std::string press(const LayoutNode& root, const NodePath& path) {
        auto found = locate(root, path);
        if (!found || !found->node->action) {
            return "(no button)";
        }
        found->node->action();
        return pressed.back();
    }
};

TEST(Focus, TabVisitsTheVisibleButtonsInLayoutOrderAndStopsPastEitherEnd) {
    Panel panel;
    const auto root = layoutCentered(panel.body(), {300, 200});
    struct Step {
        FocusDirection direction;
        std::optional<std::string> expected; // nullopt: past the end
    };
    struct Case {
        const char* name;
        std::vector<Step> steps;
    } cases[] = {
        {"forward from nothing",
         {{FocusDirection::forward, "one"},
          {FocusDirection::forward, "two"},
          {FocusDirection::forward, "three"},
          {FocusDirection::forward, std::nullopt},
          {FocusDirection::forward, "one"}}},
        {"backward from nothing",
         {{FocusDirection::backward, "three"},
          {FocusDirection::backward, "two"},
          {FocusDirection::backward, "one"},
          {FocusDirection::backward, std::nullopt}}},
        {"there and back",
         {{FocusDirection::forward, "one"},
          {FocusDirection::forward, "two"},
          {FocusDirection::backward, "one"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::optional<NodePath> focus;
        for (const auto& step : c.steps) {
            focus = nextFocus(root, focus, step.direction);
            ASSERT_EQ(focus.has_value(), step.expected.has_value());
            if (focus) {
                EXPECT_EQ(panel.press(root, *focus), *step.expected);
            }
        }
    }
}

TEST(Focus, ATreeWithoutButtonsHasNothingToFocus) {
    const auto root = layoutCentered(VStack{Text::verbatim("only words")}, {100, 100});
    EXPECT_TRUE(focusOrder(root).empty());
    EXPECT_EQ(nextFocus(root, std::nullopt, FocusDirection::forward), std::nullopt);
}

// A button in a padded stack, centred in the area, so its frame is not at the origin.
const View lonelyButton = VStack{Button([] {}, Text::verbatim("Go"))}.padding(20);

// The first button's frame in the root's coordinates (the tree turns nothing).
Rect buttonFrame(const LayoutNode& root) {
    auto found = locate(root, focusOrder(root).at(0));
    return {found->toRoot.apply({0, 0}), found->node->frame.size};
}

TEST(FocusRing, IsA2PointRingInTheFocusColourOutsideA1PointWhiteEdgeFollowingTheCorners) {
    const auto root = layoutCentered(lonelyButton, {120, 80});
    const auto frame = buttonFrame(root);
    DisplayList plain, focused;
    render(root, plain);
    render(root, focused);
    drawFocusRing(root, focusOrder(root).at(0), focused);

    ASSERT_EQ(focused.items().size(), plain.items().size() + 2) << "the ring is drawn over all";
    const auto& edge = focused.items()[plain.items().size()];
    const auto& ring = focused.items().back();
    struct Expected {
        const char* name;
        const DisplayItem& item;
        Color color;
        double width;
        double centreOutside; // distance of the stroke's centre line outside the button's frame
    } strokes[] = {{"white edge", edge, Color::white, 1, 0.5}, {"ring", ring, Color::blue, 2, 2}};
    for (const auto& s : strokes) {
        SCOPED_TRACE(s.name);
        EXPECT_EQ(s.item.kind, DisplayItem::Kind::stroke);
        EXPECT_EQ(std::get<Color>(s.item.paint), s.color);
        EXPECT_EQ(s.item.strokeStyle.lineWidth, s.width);
        // The button's outline (corners of radius 5) pushed outwards: the same corner centres.
        const Rect local{
            {-s.centreOutside, -s.centreOutside},
            {frame.size.width + 2 * s.centreOutside, frame.size.height + 2 * s.centreOutside}};
        EXPECT_EQ(s.item.path, Path::roundedRect(local, 5 + s.centreOutside));
        const auto origin = s.item.toRoot({0, 0});
        EXPECT_NEAR(origin.x, frame.minX(), 1e-9);
        EXPECT_NEAR(origin.y, frame.minY(), 1e-9);
    }
}

TEST(FocusRing, ShowsOnABackgroundOfItsOwnColourAndOnWhite) {
    const auto root = layoutCentered(lonelyButton, {120, 80});
    const auto frame = buttonFrame(root);
    const PixelIndex inRing{static_cast<int>(std::floor(frame.minX())) - 3,
                            static_cast<int>(frame.midY())};
    const PixelIndex inEdge{static_cast<int>(std::floor(frame.minX())) - 1,
                            static_cast<int>(frame.midY())};
    struct Case {
        const char* name;
        Color background;
        PixelIndex at;
        Color seen;
    } cases[] = {{"on white, the ring", Color::white, inRing, focusRingColor},
                 {"on the focus colour, the white edge", focusRingColor, inEdge, Color::white}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SurfacePtr image(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 120, 80));
        CairoPtr cr(cairo_create(image.get()));
        setSourceColor(cr.get(), c.background);
        cairo_paint(cr.get());
        CairoCanvas canvas(cr.get());
        render(root, canvas);
        drawFocusRing(root, focusOrder(root).at(0), canvas);
        EXPECT_EQ(pixelAt(image.get(), c.at), premultiplied(c.seen));
    }
}

TEST(FocusRing, NothingIsDrawnForAPathThatNamesNoButton) {
    const auto root = layoutCentered(lonelyButton, {120, 80});
    for (const NodePath& path : {NodePath{}, NodePath{7}, NodePath{0, 0, 0, 0, 0, 0}}) {
        DisplayList list;
        drawFocusRing(root, path, list);
        EXPECT_TRUE(list.items().empty());
    }
}

} // namespace
} // namespace platform::ui
