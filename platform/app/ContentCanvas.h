#pragma once

#include "platform/ui/Focus.h"

#include <functional>

typedef struct _GtkWidget GtkWidget;

namespace platform::app {

// What the canvas asks of the window that shows it.
struct ContentCanvasBehaviour {
    // GTK's focus chain reached the canvas, entering it (from another widget) or moving within
    // it; true while focus stays on one of the content's buttons.
    std::function<bool(ui::FocusDirection direction, bool entering)> moveFocus;
};

// A drawing area that is a stop of GTK's focus chain for each of the content's buttons (none
// when it has no button).
GtkWidget* newContentCanvas(ContentCanvasBehaviour behaviour);

} // namespace platform::app
