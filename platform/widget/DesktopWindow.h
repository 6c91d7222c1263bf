#pragma once

#include "platform/foundation/Expected.h"
#include "platform/ui/Redaction.h"
#include "platform/ui/Resources.h"
#include "platform/ui/View.h"
#include "platform/widget/NativeWindow.h"
#include "platform/widget/TimelineSchedule.h"

#include <cairo.h>
#include <functional>
#include <memory>
#include <string>

namespace platform::widget {

// The widget on the desktop: an undecorated window below the others, on every workspace, out of
// the task bar and pager (the layer shell's bottom layer on Wayland), with transparent rounded
// corners, drawn with Cairo at the monitor's scale factor. The window itself comes from the
// desktop-window module, loaded on the first open.
class DesktopWindow {
public:
    struct Options {
        ui::Size points;
        std::string title;
        std::function<void()> closed;
        ui::StringTable strings; // the host's own words (hostStrings)
    };

    // Fails when the module cannot be loaded or no display can be opened.
    static foundation::Expected<std::unique_ptr<DesktopWindow>, std::string> open(Options options);
    ~DesktopWindow();
    DesktopWindow(const DesktopWindow&) = delete;
    DesktopWindow& operator=(const DesktopWindow&) = delete;

    void show(ui::View content, const Presentation& presentation);
    GtkWidget* widget() const { return native_->widget(); }

    struct Token; // keeps construction to open()
    DesktopWindow(const Token&, Options options);

private:
    void paint(cairo_t* cr) const;

    Options options_;
    ui::View content_;
    bool stale_ = false;
    ui::Redaction redaction_ = ui::Redaction::none;
    std::unique_ptr<NativeWindow> native_; // last: goes first, while paint() can still run
};

} // namespace platform::widget
