#include "platform/app/AppWindow.h"

#include "platform/ui/Render.h"

#include <cmath>
#include <cstdlib>
#include <gtk/gtk.h>

namespace platform::app {

using foundation::Expected;
using foundation::Unexpected;

struct AppWindow::Token {};

bool startGtk(const std::string& programName) {
    // We draw with Cairo in software: GL would only load Mesa (tens of megabytes) for nothing.
    ::setenv("GDK_GL", "disable", 1);
    // The window's class and app id match the desktop file, so the shell shows our icon.
    g_set_prgname(programName.c_str());
    static const bool started = gtk_init_check(nullptr, nullptr);
    return started;
}

Expected<std::unique_ptr<AppWindow>, std::string> AppWindow::open(ui::View content,
                                                                  Options options) {
    if (!gdk_display_get_default()) {
        return Unexpected{std::string("cannot open the display")};
    }
    auto window = std::make_unique<AppWindow>(Token{}, std::move(content), std::move(options));
    window->build();
    return window;
}

AppWindow::AppWindow(const Token&, ui::View content, Options options)
    : options_(std::move(options))
    , content_(std::move(content), [this] { fitContent(); }) {}

AppWindow::~AppWindow() {
    if (window_) {
        gtk_widget_destroy(window_);
    }
}

void AppWindow::build() {
    window_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_title(GTK_WINDOW(window_), options_.title.c_str());
    if (!options_.iconName.empty()) {
        gtk_window_set_icon_name(GTK_WINDOW(window_), options_.iconName.c_str());
    }
    canvas_ = gtk_drawing_area_new();
    gtk_widget_add_events(canvas_, GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK);
    gtk_container_add(GTK_CONTAINER(window_), canvas_);

    // GTK hands the draw signal a cairo_t already at the window's scale factor: drawing in
    // points is drawing at full resolution. A new factor (another monitor) needs a redraw.
    g_signal_connect(canvas_, "draw", G_CALLBACK(+[](GtkWidget*, cairo_t* cr, gpointer self) {
                         static_cast<AppWindow*>(self)->paint(cr);
                         return gboolean(TRUE);
                     }),
                     this);
    g_signal_connect(window_, "notify::scale-factor",
                     G_CALLBACK(+[](GtkWidget* widget, GParamSpec*, gpointer) {
                         gtk_widget_queue_draw(widget);
                     }),
                     nullptr);
    g_signal_connect(canvas_, "button-press-event",
                     G_CALLBACK(+[](GtkWidget*, GdkEventButton* event, gpointer self) {
                         auto* window = static_cast<AppWindow*>(self);
                         window->pressedOnButton_ =
                             event->button == GDK_BUTTON_PRIMARY && event->type == GDK_BUTTON_PRESS;
                         return gboolean(TRUE);
                     }),
                     this);
    g_signal_connect(canvas_, "button-release-event",
                     G_CALLBACK(+[](GtkWidget*, GdkEventButton* event, gpointer self) {
                         if (event->button == GDK_BUTTON_PRIMARY) {
                             static_cast<AppWindow*>(self)->released(event->x, event->y);
                         }
                         return gboolean(TRUE);
                     }),
                     this);
    g_signal_connect(window_, "destroy", G_CALLBACK(+[](GtkWidget*, gpointer self) {
                         auto* window = static_cast<AppWindow*>(self);
                         window->window_ = nullptr;
                         window->canvas_ = nullptr;
                         if (window->options_.closed) {
                             window->options_.closed();
                         }
                     }),
                     this);

    auto ideal = content_.idealSize();
    gtk_window_set_default_size(GTK_WINDOW(window_), static_cast<int>(std::ceil(ideal.width)),
                                static_cast<int>(std::ceil(ideal.height)));
    fitContent();
    gtk_widget_show_all(window_);
}

// The window never gets smaller than what its content needs; a user may make it larger.
void AppWindow::fitContent() {
    if (!canvas_) {
        return;
    }
    auto ideal = content_.idealSize();
    gtk_widget_set_size_request(canvas_, static_cast<int>(std::ceil(ideal.width)),
                                static_cast<int>(std::ceil(ideal.height)));
    gtk_widget_queue_draw(canvas_);
}

void AppWindow::paint(cairo_t* cr) {
    ui::Size area{static_cast<double>(gtk_widget_get_allocated_width(canvas_)),
                  static_cast<double>(gtk_widget_get_allocated_height(canvas_))};
    ui::render(content_.layout(area), cr);
    content_.appear(); // the first time the content is on screen
}

// A click is a press and a release of the primary button, the release over a button.
void AppWindow::released(double x, double y) {
    if (std::exchange(pressedOnButton_, false)) {
        content_.click({x, y});
    }
}

} // namespace platform::app
