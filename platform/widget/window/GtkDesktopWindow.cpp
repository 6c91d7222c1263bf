// The desktop window on GTK 3, built as the "desktop-window" module.

#include "platform/widget/NativeWindow.h"
#include "platform/widget/RoundedRectangle.h"

#include <gtk/gtk.h>
#ifdef GDK_WINDOWING_X11
#include <gdk/gdkx.h>
#endif
#if TRELVO_HAVE_LAYER_SHELL
#include "platform/widget/window/WaylandOutputNames.h"

#include <gtk-layer-shell.h>
#endif

#include <cmath>
#include <cstdlib>
#include <map>

namespace platform::widget {
namespace {

using foundation::Expected;
using foundation::Unexpected;

// Where the person has to let go for a while before a window manager's move counts as done.
constexpr guint settleMilliseconds = 300;

bool startGtk() {
    // We draw with Cairo in software: GL would only load Mesa (tens of megabytes) for nothing.
    ::setenv("GDK_GL", "disable", 1);
    static const bool started = gtk_init_check(nullptr, nullptr);
    return started;
}

bool onLayerShell() {
#if TRELVO_HAVE_LAYER_SHELL
    return gtk_layer_is_supported();
#else
    return false;
#endif
}

Rect rectOf(const GdkRectangle& r) {
    return {r.x, r.y, r.width, r.height};
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

// Where nothing composites, transparent corners would show black: the window takes the shape of
// its rounded rectangle instead, and the desktop shows through the corners.
void shapeToRoundedRectangle(GtkWidget* window, int width, int height, double radius) {
    if (gdk_screen_is_composited(gtk_widget_get_screen(window)) || radius <= 0) {
        gtk_widget_shape_combine_region(window, nullptr);
        return;
    }
    cairo_surface_t* mask = cairo_image_surface_create(CAIRO_FORMAT_A1, width, height);
    cairo_t* cr = cairo_create(mask);
    roundedRectangle(cr, {double(width), double(height)}, radius);
    cairo_fill(cr);
    cairo_destroy(cr);
    cairo_region_t* region = gdk_cairo_region_create_from_surface(mask);
    gtk_widget_shape_combine_region(window, region);
    cairo_region_destroy(region);
    cairo_surface_destroy(mask);
}

class GtkDesktopWindow final : public NativeWindow {
public:
    explicit GtkDesktopWindow(Options options)
        : options_(std::move(options))
        , window_(gtk_window_new(GTK_WINDOW_TOPLEVEL)) {
        gtk_window_set_title(GTK_WINDOW(window_), options_.title.c_str());
        gtk_window_set_default_size(GTK_WINDOW(window_), options_.width, options_.height);
        gtk_widget_set_size_request(window_, options_.width, options_.height);
        gtk_widget_add_events(window_, GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK |
                                           GDK_BUTTON1_MOTION_MASK);
        useTransparentVisual(window_);
        // On X11, one copy of a finished picture per expose: an off-screen buffer would only copy
        // it once more. (Wayland's windows draw nothing unbuffered.)
        if (GDK_IS_X11_DISPLAY(gtk_widget_get_display(window_))) {
            G_GNUC_BEGIN_IGNORE_DEPRECATIONS
            gtk_widget_set_double_buffered(window_, FALSE);
            G_GNUC_END_IGNORE_DEPRECATIONS
        }
        keepOnTheDesktop(window_);
        reshape();
        buildMenu();
        connect();
    }
    ~GtkDesktopWindow() override {
        if (settle_) {
            g_source_remove(settle_);
        }
        g_signal_handlers_disconnect_by_data(gtk_widget_get_screen(window_), this);
        gtk_widget_destroy(window_);
    }
    GtkDesktopWindow(const GtkDesktopWindow&) = delete;
    GtkDesktopWindow& operator=(const GtkDesktopWindow&) = delete;

    std::vector<Monitor> monitors() const override {
        GdkDisplay* display = gtk_widget_get_display(window_);
        GdkMonitor* primary = gdk_display_get_primary_monitor(display);
        std::vector<Monitor> found;
        for (int i = 0; i < gdk_display_get_n_monitors(display); ++i) {
            GdkMonitor* monitor = gdk_display_get_monitor(display, i);
            GdkRectangle area;
            gdk_monitor_get_workarea(monitor, &area);
            found.push_back({nameOf(monitor), rectOf(area), monitor == primary});
        }
        return found;
    }

    void place(const Monitor& monitor, const Place& place, const Rect& frame) override {
        monitor_ = monitor;
        place_ = place;
        frame_ = frame;
        if (!onLayerShell()) {
            gtk_window_move(GTK_WINDOW(window_), frame.x, frame.y);
            return;
        }
#if TRELVO_HAVE_LAYER_SHELL
        auto* window = GTK_WINDOW(window_);
        if (GdkMonitor* gdkMonitor = monitorNamed(monitor.name)) {
            gtk_layer_set_monitor(window, gdkMonitor);
        }
        // A corner's offsets are margins from its two edges; the centre keeps to the top left.
        const bool centre = place.corner == Corner::center;
        const bool right = place.corner == Corner::topRight || place.corner == Corner::bottomRight;
        const bool bottom =
            place.corner == Corner::bottomLeft || place.corner == Corner::bottomRight;
        const int fromLeft = frame.x - monitor.area.x;
        const int fromTop = frame.y - monitor.area.y;
        gtk_layer_set_anchor(window, GTK_LAYER_SHELL_EDGE_LEFT, centre || !right);
        gtk_layer_set_anchor(window, GTK_LAYER_SHELL_EDGE_RIGHT, !centre && right);
        gtk_layer_set_anchor(window, GTK_LAYER_SHELL_EDGE_TOP, centre || !bottom);
        gtk_layer_set_anchor(window, GTK_LAYER_SHELL_EDGE_BOTTOM, !centre && bottom);
        gtk_layer_set_margin(window, GTK_LAYER_SHELL_EDGE_LEFT, centre ? fromLeft : place.dx);
        gtk_layer_set_margin(window, GTK_LAYER_SHELL_EDGE_RIGHT, place.dx);
        gtk_layer_set_margin(window, GTK_LAYER_SHELL_EDGE_TOP, centre ? fromTop : place.dy);
        gtk_layer_set_margin(window, GTK_LAYER_SHELL_EDGE_BOTTOM, place.dy);
#endif
    }

    void show() override {
        gtk_widget_show(window_);
    }
    void redraw() override {
        gtk_widget_queue_draw(window_);
    }
    void setTooltip(const std::optional<std::string>& text) override {
        gtk_widget_set_tooltip_text(window_, text ? text->c_str() : nullptr);
    }
    GtkWidget* widget() const override {
        return window_;
    }

private:
    std::string nameOf(GdkMonitor* monitor) const {
#if TRELVO_HAVE_LAYER_SHELL
        if (onLayerShell()) {
            if (names_.empty()) {
                names_ = waylandOutputNames(gtk_widget_get_display(window_));
            }
            if (auto found = names_.find(monitor); found != names_.end()) {
                return found->second;
            }
        }
#endif
        // On X11, GDK names a monitor after its RandR output.
        const char* model = gdk_monitor_get_model(monitor);
        return model ? model : "";
    }

    GdkMonitor* monitorNamed(const std::string& name) const {
        GdkDisplay* display = gtk_widget_get_display(window_);
        for (int i = 0; i < gdk_display_get_n_monitors(display); ++i) {
            GdkMonitor* monitor = gdk_display_get_monitor(display, i);
            if (nameOf(monitor) == name) {
                return monitor;
            }
        }
        return nullptr;
    }

    void reshape() {
        shapeToRoundedRectangle(window_, options_.width, options_.height, options_.cornerRadius);
    }

    void buildMenu() {
        if (options_.menu.empty()) {
            return;
        }
        menu_ = gtk_menu_new();
        for (auto& item : options_.menu) {
            GtkWidget* entry = gtk_menu_item_new_with_label(item.label.c_str());
            g_signal_connect_swapped(entry, "activate", G_CALLBACK(+[](MenuItem* chosen) {
                                         if (chosen->chosen) {
                                             chosen->chosen();
                                         }
                                     }),
                                     &item);
            gtk_menu_shell_append(GTK_MENU_SHELL(menu_), entry);
            gtk_widget_show(entry);
        }
        // Goes with the window.
        gtk_menu_attach_to_widget(GTK_MENU(menu_), window_, nullptr);
    }

    gboolean pressed(GdkEventButton* event) {
        if (event->type != GDK_BUTTON_PRESS) {
            return FALSE;
        }
        if (event->button == GDK_BUTTON_SECONDARY && menu_) {
            gtk_menu_popup_at_pointer(GTK_MENU(menu_), reinterpret_cast<GdkEvent*>(event));
            return TRUE;
        }
        if (event->button != GDK_BUTTON_PRIMARY) {
            return FALSE;
        }
        dragging_ = true;
        if (onLayerShell()) {
            grabbedAt_ = {static_cast<int>(event->x), static_cast<int>(event->y), 0, 0};
        } else {
            // The window manager moves it; configure events say where to.
            gtk_window_begin_move_drag(GTK_WINDOW(window_), event->button,
                                       static_cast<int>(event->x_root),
                                       static_cast<int>(event->y_root), event->time);
        }
        return TRUE;
    }

    // The layer shell has no interactive move: the margins follow the pointer.
    gboolean dragged(GdkEventMotion* event) {
        if (!dragging_ || !onLayerShell()) {
            return FALSE;
        }
        Rect frame = frame_;
        frame.x += static_cast<int>(event->x) - grabbedAt_.x;
        frame.y += static_cast<int>(event->y) - grabbedAt_.y;
        if (frame.x != frame_.x || frame.y != frame_.y) {
            Place moving = place_;
            moving.corner = Corner::center; // anchored top left while the pointer leads
            place(monitor_, moving, frame);
            place_ = moving;
        }
        return TRUE;
    }

    gboolean released(GdkEventButton* event) {
        if (event->button != GDK_BUTTON_PRIMARY || !dragging_ || !onLayerShell()) {
            return FALSE;
        }
        dragging_ = false;
        report();
        return TRUE;
    }

    void configured() {
        if (!dragging_ || onLayerShell()) {
            return;
        }
        int x = 0;
        int y = 0;
        gtk_window_get_position(GTK_WINDOW(window_), &x, &y);
        frame_.x = x;
        frame_.y = y;
        if (settle_) {
            g_source_remove(settle_);
        }
        settle_ = g_timeout_add(
            settleMilliseconds,
            +[](gpointer self) -> gboolean {
                auto* window = static_cast<GtkDesktopWindow*>(self);
                window->settle_ = 0;
                window->dragging_ = false;
                window->report();
                return G_SOURCE_REMOVE;
            },
            this);
    }

    // The monitor under the frame's centre, where it now stands.
    void report() {
        if (!options_.moved) {
            return;
        }
        GdkDisplay* display = gtk_widget_get_display(window_);
        GdkMonitor* under =
            onLayerShell() ? monitorNamed(monitor_.name)
                           : gdk_display_get_monitor_at_point(display, frame_.x + frame_.width / 2,
                                                              frame_.y + frame_.height / 2);
        Monitor monitor = monitor_;
        if (under) {
            GdkRectangle area;
            gdk_monitor_get_workarea(under, &area);
            monitor = {nameOf(under), rectOf(area),
                       under == gdk_display_get_primary_monitor(display)};
        }
        options_.moved(monitor, frame_);
    }

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
                             static_cast<GtkDesktopWindow*>(self)->close();
                             return TRUE; // the host decides when the window goes
                         }),
                         this);
        g_signal_connect(window_, "button-press-event",
                         G_CALLBACK(+[](GtkWidget*, GdkEventButton* event, gpointer self) {
                             return static_cast<GtkDesktopWindow*>(self)->pressed(event);
                         }),
                         this);
        g_signal_connect(window_, "button-release-event",
                         G_CALLBACK(+[](GtkWidget*, GdkEventButton* event, gpointer self) {
                             return static_cast<GtkDesktopWindow*>(self)->released(event);
                         }),
                         this);
        g_signal_connect(window_, "motion-notify-event",
                         G_CALLBACK(+[](GtkWidget*, GdkEventMotion* event, gpointer self) {
                             return static_cast<GtkDesktopWindow*>(self)->dragged(event);
                         }),
                         this);
        g_signal_connect(window_, "configure-event",
                         G_CALLBACK(+[](GtkWidget*, GdkEvent*, gpointer self) -> gboolean {
                             static_cast<GtkDesktopWindow*>(self)->configured();
                             return FALSE;
                         }),
                         this);
        g_signal_connect_swapped(gtk_widget_get_screen(window_), "composited-changed",
                                 G_CALLBACK(+[](GtkDesktopWindow* self) { self->reshape(); }),
                                 this);
    }

    void close() {
        if (options_.closed) {
            options_.closed();
        }
    }

    // The host paints every pixel, transparent ones included.
    void paint(cairo_t* cr) {
        if (options_.paint) {
            options_.paint(cr);
        }
    }

    Options options_;
    GtkWidget* window_;
    GtkWidget* menu_ = nullptr;
    Monitor monitor_;
    Place place_;
    Rect frame_{0, 0, options_.width, options_.height};
    bool dragging_ = false;
    Rect grabbedAt_;
    guint settle_ = 0;
#if TRELVO_HAVE_LAYER_SHELL
    mutable std::map<GdkMonitor*, std::string> names_;
#endif
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
