#pragma once

#include "platform/foundation/Expected.h"
#include "platform/ui/CairoHandles.h"
#include "platform/ui/Redaction.h"
#include "platform/ui/Resources.h"
#include "platform/ui/View.h"
#include "platform/widget/NativeWindow.h"
#include "platform/widget/PlaceMemory.h"
#include "platform/widget/PlaceRegistry.h"
#include "platform/widget/Placement.h"
#include "platform/widget/TimelineSchedule.h"

#include <cairo.h>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace platform::widget {

// The widget on the desktop: an undecorated window below the others, on every workspace, out of
// the task bar and pager (the layer shell's bottom layer on Wayland), with transparent rounded
// corners, drawn with Cairo at the monitor's scale factor. It starts where the command line asks,
// else where the person last put a widget of its kind, else in the top-right corner clear of the
// suite's other widgets; the person can drag it, and its menu refreshes or closes it. The window
// itself comes from the desktop-window module, loaded on the first open.
class DesktopWindow {
public:
    struct Options {
        ui::Size points;
        std::string title;
        std::string kind; // places are remembered per kind
        PlaceRequest placement;
        std::function<void()> closed;
        std::function<void()> refresh;
        ui::StringTable strings; // the host's own words (hostStrings)
    };

    // Fails when the module cannot be loaded, no display can be opened, or the monitor asked for
    // is not there.
    static foundation::Expected<std::unique_ptr<DesktopWindow>, std::string> open(Options options);
    ~DesktopWindow();
    DesktopWindow(const DesktopWindow&) = delete;
    DesktopWindow& operator=(const DesktopWindow&) = delete;

    void show(ui::View content, const Presentation& presentation);
    GtkWidget* widget() const { return native_->widget(); }

    struct Token; // keeps construction to open()
    DesktopWindow(const Token&, Options options);

private:
    std::optional<std::string> placeAtStart();
    void moved(const Monitor& monitor, const Rect& frame);
    void paint(cairo_t* cr);

    Options options_;
    ui::View content_;
    bool stale_ = false;
    ui::Redaction redaction_ = ui::Redaction::none;
    // The last picture painted, kept until the content, its staleness or the scale changes:
    // an expose only copies it.
    ui::SurfacePtr picture_;
    double pictureScale_ = 0;
    std::optional<PlaceMemory> memory_;
    std::optional<PlaceRegistry> registry_;
    std::unique_ptr<NativeWindow> native_; // last: goes first, while paint() can still run
};

} // namespace platform::widget
