#pragma once

#include "platform/foundation/Expected.h"
#include "platform/widget/Placement.h"

#include <cairo.h>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

typedef struct _GtkWidget GtkWidget;

namespace platform::widget {

// The toolkit's side of the desktop window, kept in the "desktop-window" module so that only a
// process that opens a window loads GTK. It knows nothing of views or of where widgets belong:
// the host paints and places.
class NativeWindow {
public:
    struct MenuItem {
        std::string label;
        std::function<void()> chosen;
    };

    struct Options {
        int width = 0; // points
        int height = 0;
        std::string title;
        double cornerRadius = 0; // the window's shape where nothing composites its transparency
        std::function<void()> closed;
        // Draws one frame in points; cr is already at the window's scale factor.
        std::function<void(cairo_t*)> paint;
        // Offered on the secondary button.
        std::vector<MenuItem> menu;
        // The person has dragged the window to `frame` on `monitor`, and let go.
        std::function<void(const Monitor& monitor, const Rect& frame)> moved;
    };

    virtual ~NativeWindow() = default;
    virtual std::vector<Monitor> monitors() const = 0;
    // Stands the window at `frame` on `monitor`: where the window manager places by position,
    // moved there; on the layer shell, anchored to `place`'s corner by its offsets.
    virtual void place(const Monitor& monitor, const Place& place, const Rect& frame) = 0;
    virtual void show() = 0;
    virtual void redraw() = 0;
    virtual void setTooltip(const std::optional<std::string>& text) = 0;
    virtual GtkWidget* widget() const = 0;
};

// The module's one entry point: starts GTK (with its GL off) on first use and makes a window, not
// yet shown, or says why it cannot (no display).
using OpenNativeWindow =
    foundation::Expected<std::unique_ptr<NativeWindow>, std::string> (*)(NativeWindow::Options);

inline constexpr const char* nativeWindowModule = "desktop-window";
inline constexpr const char* nativeWindowEntry = "trelvo_open_native_window";

} // namespace platform::widget
