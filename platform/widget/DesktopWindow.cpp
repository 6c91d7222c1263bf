#include "platform/widget/DesktopWindow.h"

#include "platform/widget/StaleMark.h"
#include "platform/widget/WidgetPicture.h"

#include <gtk/gtk.h>
#if TRELVO_HAVE_LAYER_SHELL
#include <gtk-layer-shell.h>
#endif

#include <cstdlib>

namespace platform::widget {

using foundation::Expected;
using foundation::Unexpected;

struct DesktopWindow::Token {};

namespace {

bool startGtk() {
    // We draw with Cairo in software: GL would only load Mesa (tens of megabytes) for nothing.
    ::setenv("GDK_GL", "disable", 1);
    static const bool started = gtk_init_check(nullptr, nullptr);
    return started;
}

void useTransparentVisual(GtkWidget* window) {
    GdkScreen* screen = gtk_widget_get_screen(window);
    if (GdkVisual* visual = gdk_screen_get_rgba_visual(screen)) {
        gtk_widget_set_visual(window, visual);
    }
    gtk_widget_set_app_paintable(window, TRUE);
}

void keepOnTheDesktop(GtkWidget* widget) {
    auto* window = GTK_WINDOW(widget);
    gtk_window_set_decorated(window, FALSE);
    gtk_window_set_resizable(window, FALSE);
    gtk_window_set_keep_below(window, TRUE);
    gtk_window_stick(window);
    gtk_window_set_skip_taskbar_hint(window, TRUE);
    gtk_window_set_skip_pager_hint(window, TRUE);
    gtk_window_set_accept_focus(window, FALSE);
#if TRELVO_HAVE_LAYER_SHELL
    if (gtk_layer_is_supported()) {
        gtk_layer_init_for_window(window);
        gtk_layer_set_layer(window, GTK_LAYER_SHELL_LAYER_BOTTOM);
        gtk_layer_set_keyboard_mode(window, GTK_LAYER_SHELL_KEYBOARD_MODE_NONE);
        gtk_layer_set_namespace(window, "desktop-widget");
    }
#endif
}

} // namespace

Expected<std::unique_ptr<DesktopWindow>, std::string> DesktopWindow::open(Options options) {
    if (!startGtk()) {
        const char* named = std::getenv("WAYLAND_DISPLAY");
        if (!named || !*named) {
            named = std::getenv("DISPLAY");
        }
        return Unexpected{"cannot open the display " + std::string(named ? named : "")};
    }
    auto window = std::make_unique<DesktopWindow>(Token{}, std::move(options));
    window->build();
    return window;
}

DesktopWindow::DesktopWindow(const Token&, Options options)
    : options_(std::move(options)) {}

DesktopWindow::~DesktopWindow() {
    if (window_) {
        gtk_widget_destroy(window_);
    }
}

void DesktopWindow::build() {
    window_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_title(GTK_WINDOW(window_), options_.title.c_str());
    auto width = static_cast<int>(options_.points.width);
    auto height = static_cast<int>(options_.points.height);
    gtk_window_set_default_size(GTK_WINDOW(window_), width, height);
    gtk_widget_set_size_request(window_, width, height);
    useTransparentVisual(window_);
    keepOnTheDesktop(window_);

    // GTK hands the draw signal a cairo_t already at the window's scale factor: drawing in
    // points is drawing at full resolution. A new factor (another monitor) needs a redraw.
    g_signal_connect(window_, "draw",
                     G_CALLBACK(+[](GtkWidget*, cairo_t* cr, gpointer self) -> gboolean {
                         static_cast<DesktopWindow*>(self)->paint(cr);
                         return TRUE;
                     }),
                     this);
    g_signal_connect(window_, "notify::scale-factor",
                     G_CALLBACK(+[](GtkWidget* widget, GParamSpec*, gpointer) {
                         gtk_widget_queue_draw(widget);
                     }),
                     nullptr);
    g_signal_connect(window_, "delete-event",
                     G_CALLBACK(+[](GtkWidget*, GdkEvent*, gpointer self) -> gboolean {
                         auto* window = static_cast<DesktopWindow*>(self);
                         if (window->options_.closed) {
                             window->options_.closed();
                         }
                         return TRUE; // the host decides when the window goes
                     }),
                     this);
    gtk_widget_show(window_);
}

void DesktopWindow::paint(cairo_t* cr) {
    cairo_save(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
    cairo_paint(cr);
    cairo_restore(cr);
    drawWidget(cr, content_, options_.points, stale_);
}

void DesktopWindow::show(ui::View content, const Presentation& presentation) {
    content_ = std::move(content);
    showStale(presentation);
    gtk_widget_queue_draw(window_);
}

void DesktopWindow::showStale(const Presentation& presentation) {
    stale_ = presentation.stale;
    if (stale_ && presentation.lastUpdated) {
        gtk_widget_set_tooltip_text(window_, lastUpdatedText(*presentation.lastUpdated).c_str());
    } else {
        gtk_widget_set_tooltip_text(window_, nullptr);
    }
}

} // namespace platform::widget
