#include "platform/ui/Accessibility.h"
#include "platform/ui/Button.h"
#include "platform/ui/Image.h"
#include "platform/ui/Render.h"
#include "platform/ui/Stack.h"
#include "platform/ui/Text.h"
#include "tests/support/TemporaryDirectory.h"
#include "tests/support/TestFiles.h"

#include <cmath>
#include <gtest/gtest.h>
#include <ostream>
#include <string>
#include <vector>

namespace platform::ui {
namespace {

// What a reader is told of an element, printed by the test when it differs.
struct Element {
    AccessibilityElement::Role role;
    std::string label;
    bool action;
    bool operator==(const Element&) const = default;
    friend std::ostream& operator<<(std::ostream& out, const Element& e) {
        return out << static_cast<int>(e.role) << " '" << e.label << "'"
                   << (e.action ? " with an action" : "");
    }
};

TEST(AccessibilityElements, AreTheTextsButtonsAndImagesInLayoutOrderWithAButtonNamedByItsLabel) {
    using Role = AccessibilityElement::Role;
    trelvo::test::TemporaryDirectory assets;
    trelvo::test::writeFile(assets.path() / "dot.svg",
                            R"(<svg xmlns="http://www.w3.org/2000/svg" width="8" height="6"/>)");
    struct Case {
        const char* name;
        View view;
        std::vector<Element> expected;
    } cases[] = {
        {"texts and a button",
         VStack{Text::verbatim("title"),
                Button([] {}, HStack{Text::verbatim("update"), Text::verbatim("now")})},
         {{Role::staticText, "title", false}, {Role::button, "update now", true}}},
        {"an image, and a button showing only an image",
         HStack{Image("dot", assets.path()), Button([] {}, Image("dot", assets.path()))},
         {{Role::image, "dot", false}, {Role::button, "dot", true}}},
        {"what draws nothing is not there",
         VStack{Text::verbatim("shown"), Text::verbatim("moved away").offset(INFINITY, 0),
                Image("no-such-asset", assets.path())},
         {{Role::staticText, "shown", false}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<Element> seen;
        for (const auto& e : accessibilityElements(layoutCentered(c.view, {300, 200}))) {
            seen.push_back({e.role, e.label, static_cast<bool>(e.action)});
        }
        EXPECT_EQ(seen, c.expected);
    }
}

TEST(AccessibilityElements, ArePlacedWhereTheyAreDrawnInTheWindow) {
    const auto view = VStack{Text::verbatim("words")}.padding(30).offset(5, 7);
    const auto root = layoutCentered(view, {200, 100});
    const auto elements = accessibilityElements(root);
    ASSERT_EQ(elements.size(), 1u);
    const auto* drawn = record(view, {200, 100}).findText("words");
    ASSERT_NE(drawn, nullptr);
    const auto origin = drawn->toRoot(drawn->rect.origin);
    EXPECT_NEAR(elements[0].frame.minX(), origin.x, 1e-9);
    EXPECT_NEAR(elements[0].frame.minY(), origin.y, 1e-9);
    EXPECT_EQ(elements[0].frame.size, drawn->rect.size);
}

} // namespace
} // namespace platform::ui
