#include "platform/ui/Button.h"
#include "platform/ui/Focus.h"
#include "platform/ui/Render.h"
#include "platform/ui/Stack.h"
#include "platform/ui/Text.h"

#include <gtest/gtest.h>

namespace platform::ui {
namespace {

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
