#pragma once

#include "platform/ui/Focus.h"

#include <functional>

typedef struct _GtkWidget GtkWidget;

namespace platform::app {

class ContentAccessibility;

// What the canvas asks of the window that shows it.
struct ContentCanvasBehaviour {
    // GTK's focus chain reached the canvas, entering it (from another widget) or moving within
    // it; true while focus stays on one of the content's buttons.
    std::function<bool(ui::FocusDirection direction, bool entering)> moveFocus;
    // The accessible children of the canvas; owned by the window, which outlives the canvas.
    ContentAccessibility* accessibility = nullptr;
};

// A drawing area that is a stop of GTK's focus chain for each of the content's buttons (none
// when it has no button) and whose accessible (a panel) has the content's elements as children.
GtkWidget* newContentCanvas(ContentCanvasBehaviour behaviour);

} // namespace platform::app
