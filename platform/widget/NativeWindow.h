#pragma once

#include "platform/foundation/Expected.h"

#include <cairo.h>
#include <functional>
#include <memory>
#include <optional>
#include <string>

typedef struct _GtkWidget GtkWidget;

namespace platform::widget {

// The toolkit's side of the desktop window, kept in the "desktop-window" module so that only a
// process that opens a window loads GTK. It knows nothing of views: the host paints.
class NativeWindow {
public:
    struct Options {
        int width = 0; // points
        int height = 0;
        std::string title;
        std::function<void()> closed;
        // Draws one frame in points; cr is already at the window's scale factor.
        std::function<void(cairo_t*)> paint;
    };

    virtual ~NativeWindow() = default;
    virtual void redraw() = 0;
    virtual void setTooltip(const std::optional<std::string>& text) = 0;
    virtual GtkWidget* widget() const = 0;
};

// The module's one entry point: starts GTK (with its GL off) on first use and opens a window,
// or says why it cannot (no display).
using OpenNativeWindow =
    foundation::Expected<std::unique_ptr<NativeWindow>, std::string> (*)(NativeWindow::Options);

inline constexpr const char* nativeWindowModule = "desktop-window";
inline constexpr const char* nativeWindowEntry = "trelvo_open_native_window";

} // namespace platform::widget
