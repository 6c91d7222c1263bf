// The desktop window on GTK 3, built as the "desktop-window" module.

#include "platform/widget/NativeWindow.h"

#include <gtk/gtk.h>
#if TRELVO_HAVE_LAYER_SHELL
#include <gtk-layer-shell.h>
#endif

#include <cstdlib>

namespace platform::widget {
namespace {

using foundation::Expected;
using foundation::Unexpected;

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

class GtkDesktopWindow final : public NativeWindow {
public:
    explicit GtkDesktopWindow(Options options)
        : options_(std::move(options))
        , window_(gtk_window_new(GTK_WINDOW_TOPLEVEL)) {
        gtk_window_set_title(GTK_WINDOW(window_), options_.title.c_str());
        gtk_window_set_default_size(GTK_WINDOW(window_), options_.width, options_.height);
        gtk_widget_set_size_request(window_, options_.width, options_.height);
        useTransparentVisual(window_);
        keepOnTheDesktop(window_);
        connect();
        gtk_widget_show(window_);
    }
    ~GtkDesktopWindow() override { gtk_widget_destroy(window_); }
    GtkDesktopWindow(const GtkDesktopWindow&) = delete;
    GtkDesktopWindow& operator=(const GtkDesktopWindow&) = delete;

    void redraw() override { gtk_widget_queue_draw(window_); }
    void setTooltip(const std::optional<std::string>& text) override {
        gtk_widget_set_tooltip_text(window_, text ? text->c_str() : nullptr);
    }
    GtkWidget* widget() const override { return window_; }

private:
    void connect() {
        // GTK hands the draw signal a cairo_t already at the window's scale factor: drawing in
        // points is drawing at full resolution. A new factor (another monitor) needs a redraw.
        g_signal_connect(window_, "draw",
                         G_CALLBACK(+[](GtkWidget*, cairo_t* cr, gpointer self) -> gboolean {
                             static_cast<GtkDesktopWindow*>(self)->paint(cr);
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
                             auto* window = static_cast<GtkDesktopWindow*>(self);
                             if (window->options_.closed) {
                                 window->options_.closed();
                             }
                             return TRUE; // the host decides when the window goes
                         }),
                         this);
    }

    void paint(cairo_t* cr) {
        cairo_save(cr);
        cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
        cairo_paint(cr);
        cairo_restore(cr);
        if (options_.paint) {
            options_.paint(cr);
        }
    }

    Options options_;
    GtkWidget* window_;
};

Expected<std::unique_ptr<NativeWindow>, std::string> open(NativeWindow::Options options) {
    if (!startGtk()) {
        const char* named = std::getenv("WAYLAND_DISPLAY");
        if (!named || !*named) {
            named = std::getenv("DISPLAY");
        }
        return Unexpected{"cannot open the display " + std::string(named ? named : "")};
    }
    return std::unique_ptr<NativeWindow>(std::make_unique<GtkDesktopWindow>(std::move(options)));
}

} // namespace
} // namespace platform::widget

extern "C" __attribute__((visibility("default")))
const platform::widget::OpenNativeWindow trelvo_open_native_window = &platform::widget::open;
