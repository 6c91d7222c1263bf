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
    const auto* drawn = record(view, {200, 100}).findText("words");
    ASSERT_EQ(elements.size(), 1u);
    ASSERT_NE(drawn, nullptr);
    EXPECT_EQ(elements[0].frame, (Rect{drawn->toRoot(drawn->rect.origin), drawn->rect.size}));
}

} // namespace
} // namespace platform::ui
