#pragma once

#include "platform/ui/Accessibility.h"
#include "platform/ui/Focus.h"
#include "platform/ui/Layout.h"
#include "platform/ui/View.h"

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace platform::app {

// What one window shows, without the window: the root view laid out afresh for each redraw,
// its onAppear actions run once, clicks and keys routed to its buttons, and the observable
// objects its views read watched. Main thread only.
class WindowContent {
public:
    // Called as a block of the main queue after an observed object has announced a change,
    // so the new value is stored by then; several changes in one block make one call.
    using Redraw = std::function<void()>;

    WindowContent(ui::View root, Redraw redraw);
    ~WindowContent();
    WindowContent(const WindowContent&) = delete;
    WindowContent& operator=(const WindowContent&) = delete;

    // The size the content takes when nothing is proposed: what its window opens at.
    ui::Size idealSize();
    // Lays the content out centred in the area and keeps the tree for clicks and appearing.
    const ui::LayoutNode& layout(ui::Size area);
    // Runs the onAppear actions of the last layout, outermost first, the first time only.
    void appear();
    bool hasAppeared() const;
    // Runs the action of the topmost button under the point of the last layout; false if none.
    bool click(ui::Point point);

    // Keyboard focus among the buttons of the last layout, kept across layouts while the
    // focused button is still there. Moves to the next (or previous) button, from nothing to
    // the first (or last); false once it moves past the end, which leaves nothing focused.
    bool moveFocus(ui::FocusDirection direction);
    void clearFocus();
    const std::optional<ui::NodePath>& focus() const;
    // Runs the focused button's action; false when nothing is focused.
    bool activateFocus();
    // Draws the last layout, with the focus ring when the window shows keyboard focus.
    void draw(ui::Canvas& canvas, bool withFocusRing) const;
    // The last layout's elements, for screen readers.
    std::vector<ui::AccessibilityElement> accessibilityElements() const;

    const ui::View& root() const;

    struct State;

private:
    std::shared_ptr<State> state_;
};

} // namespace platform::app
