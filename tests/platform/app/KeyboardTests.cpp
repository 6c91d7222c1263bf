// Keyboard focus in a window's content: what Tab, Shift+Tab and Return do, and the ring the
// window draws for it, across the redraws an observed change makes.
#include "platform/app/ObservedObject.h"
#include "platform/app/WindowContent.h"
#include "platform/combine/Published.h"
#include "platform/dispatch/DispatchQueue.h"
#include "platform/ui/Button.h"
#include "platform/ui/DisplayList.h"
#include "platform/ui/Stack.h"
#include "platform/ui/Text.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

using namespace platform::ui;
using platform::app::ObservedObject;
using platform::app::WindowContent;

namespace {

struct Offer : platform::combine::ObservableObject {
    platform::combine::Published<std::string> version{*this, "0"};
};

// An update button while the offer differs from "1.0", a button that draws nothing (moved by a
// geometry that is not finite) and a quit button; each press is recorded.
struct Window {
    std::shared_ptr<Offer> offer = std::make_shared<Offer>();
    std::vector<std::string> pressed;
    WindowContent content{Panel{offer, this}, [this] { content.layout({300, 200}); }};

    struct Panel {
        ObservedObject<Offer> offer;
        Window* window;
        View button(const std::string& name, const std::string& label) const {
            return Button([w = window, name] { w->pressed.push_back(name); },
                          Text::verbatim(label));
        }
        View body() const {
            const std::string version = offer->version;
            return VStack{Text::verbatim("current: 1.0"),
                          version != "1.0" ? button("update", "update to " + version) : View(),
                          button("hidden", "hidden").offset(NAN, 0), button("quit", "quit")};
        }
    };

    Window() { content.layout({300, 200}); }
    // What Return runs: the pressed button's name, or "" when none runs.
    std::string press() {
        const auto before = pressed.size();
        return content.activateFocus() && pressed.size() > before ? pressed.back() : "";
    }
    void offerVersion(const std::string& version) {
        offer->version = version;
        platform::dispatch::DispatchQueue::main().drain(); // the redraw the change queued
    }
    long ringStrokes(bool windowFocused) const {
        DisplayList list;
        content.draw(list, windowFocused);
        const auto strokes = list.items(DisplayItem::Kind::stroke);
        return std::count_if(strokes.begin(), strokes.end(), [](const DisplayItem& item) {
            return std::get<Color>(item.paint) == focusRingColor;
        });
    }
};

} // namespace

TEST(Keyboard, TabAndShiftTabVisitTheVisibleButtonsInOrderAndLeaveTheContentPastEitherEnd) {
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
        {"Tab, and round again",
         {{forward, true, "update"},
          {forward, true, "quit"},
          {forward, false, ""},
          {forward, true, "update"}}},
        {"Shift+Tab",
         {{backward, true, "quit"}, {backward, true, "update"}, {backward, false, ""}}},
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
    window.content.moveFocus(FocusDirection::forward);
    window.offerVersion("9.9.9"); // the answer: the same button, a new label
    EXPECT_EQ(window.press(), "update");
    window.offerVersion("1.0"); // the same version: the button goes
    EXPECT_EQ(window.press(), "") << "focus must not jump to the button that took its place";
    EXPECT_TRUE(window.content.moveFocus(FocusDirection::forward));
    EXPECT_EQ(window.press(), "quit");
}

TEST(Keyboard, TheRingIsDrawnAroundTheFocusedButtonOnlyWhileTheWindowHasFocus) {
    Window window;
    EXPECT_EQ(window.ringStrokes(true), 0) << "nothing focused yet";
    window.content.moveFocus(FocusDirection::forward);
    EXPECT_EQ(window.ringStrokes(true), 1);
    EXPECT_EQ(window.ringStrokes(false), 0) << "another window is active";
}
