#include "platform/ui/Accessibility.h"
#include "platform/ui/Button.h"
#include "platform/ui/Focus.h"
#include "platform/ui/Image.h"
#include "platform/ui/Render.h"
#include "platform/ui/Stack.h"
#include "platform/ui/Text.h"
#include "tests/support/TemporaryDirectory.h"
#include "tests/support/TestFiles.h"

#include <cmath>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace platform::ui {
namespace {

using Role = AccessibilityElement::Role;

TEST(AccessibilityElements, AreTheTextsButtonsAndImagesInLayoutOrderWithAButtonNamedByItsLabel) {
    trelvo::test::TemporaryDirectory assets;
    trelvo::test::writeFile(assets.path() / "dot.svg",
                            R"(<svg xmlns="http://www.w3.org/2000/svg" width="8" height="6"/>)");
    const auto dot = Image("dot", assets.path());
    struct Case {
        const char* name;
        View view;
        std::vector<std::pair<Role, std::string>> expected;
    } cases[] = {
        {"texts and a button",
         VStack{Text::verbatim("title"),
                Button([] {}, HStack{Text::verbatim("update"), Text::verbatim("now")})},
         {{Role::staticText, "title"}, {Role::button, "update now"}}},
        {"an image, and a button showing only an image",
         HStack{dot, Button([] {}, dot)},
         {{Role::image, "dot"}, {Role::button, "dot"}}},
        {"what draws nothing is not there",
         VStack{Text::verbatim("shown"), Text::verbatim("moved away").offset(INFINITY, 0),
                Image("no-such-asset", assets.path())},
         {{Role::staticText, "shown"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::pair<Role, std::string>> seen;
        for (const auto& e : accessibilityElements(layoutCentered(c.view, {300, 200}))) {
            seen.emplace_back(e.role, e.label);
            EXPECT_EQ(static_cast<bool>(e.action), e.role == Role::button) << e.label;
        }
        EXPECT_EQ(seen, c.expected);
    }
}

TEST(AccessibilityElements, ArePlacedWhereTheyAreDrawnInTheWindow) {
    const auto view = VStack{Text::verbatim("words")}.padding(30).offset(5, 7);
    const auto elements = accessibilityElements(layoutCentered(view, {200, 100}));
    const auto list = record(view, {200, 100}); // kept: what it finds lives in it
    const auto* drawn = list.findText("words");
    ASSERT_EQ(elements.size(), 1u);
    ASSERT_NE(drawn, nullptr);
    EXPECT_EQ(elements[0].frame, (Rect{drawn->toRoot(drawn->rect.origin), drawn->rect.size}));
}

// A button in a padded stack, centred in the area, so its frame is not at the origin.
const View lonelyButton = VStack{Button([] {}, Text::verbatim("Go"))}.padding(20);

TEST(FocusRing, IsA2PointRingInTheFocusColourOutsideA1PointWhiteEdgeFollowingTheCorners) {
    const auto root = layoutCentered(lonelyButton, {120, 80});
    const auto button = locate(root, focusOrder(root).at(0));
    DisplayList plain, focused;
    render(root, plain);
    render(root, focused);
    drawFocusRing(root, focusOrder(root).at(0), focused);

    ASSERT_EQ(focused.items().size(), plain.items().size() + 2) << "the ring is drawn over all";
    struct Expected {
        const char* name;
        const DisplayItem& item;
        Color color;
        double width;
        double centreOutside; // of the stroke's centre line, beyond the button's frame
    } strokes[] = {{"white edge", focused.items()[plain.items().size()], Color::white, 1, 0.5},
                   {"ring", focused.items().back(), Color::blue, 2, 2}};
    for (const auto& s : strokes) {
        SCOPED_TRACE(s.name);
        EXPECT_EQ(s.item.kind, DisplayItem::Kind::stroke);
        EXPECT_EQ(std::get<Color>(s.item.paint), s.color);
        EXPECT_EQ(s.item.strokeStyle.lineWidth, s.width);
        // The bezel's outline (corners of radius 5) pushed outwards around the same centres.
        const double d = s.centreOutside;
        const auto size = button->node->frame.size;
        EXPECT_EQ(s.item.path,
                  Path::roundedRect({{-d, -d}, {size.width + 2 * d, size.height + 2 * d}}, 5 + d));
        EXPECT_EQ(s.item.transform, button->toRoot) << "drawn where the button is";
    }
}

} // namespace
} // namespace platform::ui
