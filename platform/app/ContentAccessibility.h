#pragma once

#include "platform/ui/Accessibility.h"
#include "platform/ui/CairoHandles.h"

#include <atk/atk.h>
#include <optional>
#include <vector>

typedef struct _GtkWidget GtkWidget;

namespace platform::app {

// A screen reader's view of a window's content: one ATK object per element of the last layout,
// the children of the content canvas's accessible. The objects are made once a reader asks for
// them; after that each change is announced (children removed and added, focus moved).
class ContentAccessibility {
public:
    ContentAccessibility() = default;
    ContentAccessibility(const ContentAccessibility&) = delete;
    ContentAccessibility& operator=(const ContentAccessibility&) = delete;

    // The canvas whose accessible the elements belong to; nullptr once it is destroyed.
    void attach(GtkWidget* canvas);
    // Takes the elements of a new layout and the focused button (when the canvas has focus).
    void update(std::vector<ui::AccessibilityElement> elements,
                const std::optional<ui::NodePath>& focused);

    int count();
    // Borrowed; nullptr past the end.
    AtkObject* child(int index);

private:
    void makeObjects();
    void announce(const char* change);
    void showFocus();

    GtkWidget* canvas_ = nullptr;
    std::vector<ui::AccessibilityElement> elements_;
    std::vector<ui::GObjectPtr<AtkObject>> objects_; // empty until a reader asks
    std::optional<ui::NodePath> focused_;
    bool asked_ = false;
};

} // namespace platform::app
