// Keyboard focus in a window's content: what Tab, Shift+Tab, Return and Space do, and what the
// window draws for it, across the redraws an observed change makes.
#include "platform/app/ObservedObject.h"
#include "platform/app/WindowContent.h"
#include "platform/combine/Published.h"
#include "platform/dispatch/DispatchQueue.h"
#include "platform/ui/Button.h"
#include "platform/ui/DisplayList.h"
#include "platform/ui/Stack.h"
#include "platform/ui/Text.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

using namespace platform::ui;
using platform::app::ObservedObject;
using platform::app::WindowContent;
using platform::dispatch::DispatchQueue;

namespace {

struct Offer : platform::combine::ObservableObject {
    platform::combine::Published<std::string> version{*this, "0"};
};

// The update button is there only while the offer differs from "1.0", above a quit button;
// each press is recorded.
struct UpdatePanel {
    ObservedObject<Offer> offer;
    std::shared_ptr<std::vector<std::string>> pressed;

    View body() const {
        const std::string version = offer->version;
        return VStack{
            Text::verbatim("current: 1.0"),
            version != "1.0" ? Button([p = pressed] { p->push_back("update"); },
                                      Text::verbatim("update to " + version))
                             : View(),
            Button([p = pressed] { p->push_back("quit"); }, Text::verbatim("quit")),
        };
    }
};

struct Window {
    std::shared_ptr<Offer> offer = std::make_shared<Offer>();
    std::shared_ptr<std::vector<std::string>> pressed =
        std::make_shared<std::vector<std::string>>();
    WindowContent content{UpdatePanel{offer, pressed}, [this] { content.layout({300, 200}); }};

    Window() { content.layout({300, 200}); }

    // Return: the name of the button that ran, or "" when none did.
    std::string press() {
        const auto before = pressed->size();
        return content.activateFocus() && pressed->size() > before ? pressed->back() : "";
    }
    void offerVersion(const std::string& version) {
        offer->version = version;
        DispatchQueue::main().drain(); // the redraw the change queued
    }
    std::size_t ringStrokes(bool windowFocused) const {
        DisplayList list;
        content.draw(list, windowFocused);
        std::size_t count = 0;
        for (const auto& item : list.items(DisplayItem::Kind::stroke)) {
            count += std::get<Color>(item.paint) == focusRingColor ? 1 : 0;
        }
        return count;
    }
};

} // namespace

TEST(Keyboard, TabAndShiftTabMoveAmongTheButtonsAndLeaveTheContentPastEitherEnd) {
    using enum FocusDirection;
    struct Step {
        FocusDirection direction;
        bool staysInside;
        std::string pressed; // what Return then runs
    };
    struct Case {
        const char* name;
        std::vector<Step> steps;
    } cases[] = {
        {"Tab", {{forward, true, "update"}, {forward, true, "quit"}, {forward, false, ""}}},
        {"Shift+Tab",
         {{backward, true, "quit"}, {backward, true, "update"}, {backward, false, ""}}},
        {"Tab, coming back round",
         {{forward, true, "update"},
          {forward, true, "quit"},
          {forward, false, ""},
          {forward, true, "update"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Window window;
        EXPECT_EQ(window.press(), "") << "nothing is focused before the first Tab";
        for (const auto& step : c.steps) {
            EXPECT_EQ(window.content.moveFocus(step.direction), step.staysInside);
            EXPECT_EQ(window.press(), step.pressed);
        }
    }
}

TEST(Keyboard, FocusStaysOnItsButtonAcrossRedrawsAndGoesWithIt) {
    Window window;
    window.content.moveFocus(FocusDirection::forward); // the update button
    struct Step {
        const char* offered;
        std::string pressed;
    } steps[] = {
        {"9.9.9", "update"}, // the answer arrives: same button, new label
        {"1.0", ""},         // the same version: the button goes, focus does not jump to quit
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.offered);
        window.offerVersion(step.offered);
        EXPECT_EQ(window.press(), step.pressed);
    }
    EXPECT_FALSE(window.content.focus());
    EXPECT_TRUE(window.content.moveFocus(FocusDirection::forward));
    EXPECT_EQ(window.press(), "quit");
}

TEST(Keyboard, TheRingIsDrawnAroundTheFocusedButtonOnlyWhileTheWindowHasFocus) {
    Window window;
    EXPECT_EQ(window.ringStrokes(true), 0u) << "nothing focused yet";
    window.content.moveFocus(FocusDirection::forward);
    EXPECT_EQ(window.ringStrokes(true), 1u);
    EXPECT_EQ(window.ringStrokes(false), 0u) << "another window is active";
    window.offerVersion("9.9.9");
    EXPECT_EQ(window.ringStrokes(true), 1u) << "redrawn with the new label";
}
