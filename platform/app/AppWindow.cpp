#include "platform/app/AppWindow.h"

#include "platform/app/ContentCanvas.h"
#include "platform/app/WidgetGallery.h"
#include "platform/app/WindowChrome.h"
#include "platform/ui/CairoCanvas.h"

#include <cmath>
#include <cstdlib>
#include <gtk/gtk.h>

namespace platform::app {

using foundation::Expected;
using foundation::Unexpected;

struct AppWindow::Token {};

namespace {

bool isPressKey(unsigned keyval) {
    switch (keyval) {
    case GDK_KEY_Return:
    case GDK_KEY_KP_Enter:
    case GDK_KEY_ISO_Enter:
    case GDK_KEY_space:
    case GDK_KEY_KP_Space:
        return true;
    default:
        return false;
    }
}

} // namespace

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
    addChrome();
    canvas_ = newContentCanvas(
        {.moveFocus = [this](ui::FocusDirection direction,
                             bool entering) { return moveFocus(direction, entering); },
         .accessibility = &accessibility_});
    accessibility_.attach(canvas_);
    gtk_container_add(GTK_CONTAINER(window_), canvas_);
    connectWindow();
    connectCanvas();

    auto ideal = content_.idealSize();
    gtk_window_set_default_size(GTK_WINDOW(window_), static_cast<int>(std::ceil(ideal.width)),
                                static_cast<int>(std::ceil(ideal.height)));
    fitContent();
    // The content holds the keyboard from the start, with no button focused yet: the first Tab
    // goes to its first button (GTK would otherwise focus that button as the window opens).
    gtk_widget_grab_focus(canvas_);
    gtk_widget_show_all(window_);
}

void AppWindow::addChrome() {
    addWindowChrome(GTK_WINDOW(window_), options_.title, options_.strings,
                    {.addWidgets = [this] { openGallery(); },
                     .about = [this] { showAboutDialog(GTK_WINDOW(window_), options_.about); },
                     .quit =
                         [this] {
                             if (options_.quit) {
                                 options_.quit();
                             }
                         },
                     .close = [this] { gtk_window_close(GTK_WINDOW(window_)); }});
}

void AppWindow::connectWindow() {
    // A new scale factor (another monitor) needs a redraw.
    g_signal_connect(window_, "notify::scale-factor",
                     G_CALLBACK(+[](GtkWidget* widget, GParamSpec*, gpointer) {
                         gtk_widget_queue_draw(widget);
                     }),
                     nullptr);
    g_signal_connect(window_, "destroy", G_CALLBACK(+[](GtkWidget*, gpointer self) {
                         auto* window = static_cast<AppWindow*>(self);
                         window->window_ = nullptr;
                         window->canvas_ = nullptr;
                         window->accessibility_.attach(nullptr);
                         if (window->options_.closed) {
                             window->options_.closed();
                         }
                     }),
                     this);
}

void AppWindow::connectCanvas() {
    gtk_widget_add_events(canvas_, GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK |
                                       GDK_KEY_PRESS_MASK | GDK_FOCUS_CHANGE_MASK);
    // GTK hands the draw signal a cairo_t already at the window's scale factor: drawing in
    // points is drawing at full resolution.
    g_signal_connect(canvas_, "draw", G_CALLBACK(+[](GtkWidget*, cairo_t* cr, gpointer self) {
                         static_cast<AppWindow*>(self)->paint(cr);
                         return gboolean(TRUE);
                     }),
                     this);
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
    g_signal_connect(
        canvas_, "key-press-event", G_CALLBACK(+[](GtkWidget*, GdkEventKey* event, gpointer self) {
            return gboolean(static_cast<AppWindow*>(self)->keyPressed(event->keyval, event->state));
        }),
        this);
    for (const char* signal : {"focus-in-event", "focus-out-event"}) {
        g_signal_connect(canvas_, signal, G_CALLBACK(+[](GtkWidget*, GdkEvent*, gpointer self) {
                             static_cast<AppWindow*>(self)->focusChanged();
                             return gboolean(FALSE);
                         }),
                         this);
    }
}

// The window never gets smaller than what its content needs; a user may make it larger.
void AppWindow::fitContent() {
    if (!canvas_) {
        return;
    }
    auto ideal = content_.idealSize();
    gtk_widget_set_size_request(canvas_, static_cast<int>(std::ceil(ideal.width)),
                                static_cast<int>(std::ceil(ideal.height)));
    // Readers learn of the change now, even while the window is not drawn.
    if (gtk_widget_get_realized(canvas_)) {
        layOut();
    }
    gtk_widget_queue_draw(canvas_);
}

void AppWindow::layOut() {
    ui::Size area{static_cast<double>(gtk_widget_get_allocated_width(canvas_)),
                  static_cast<double>(gtk_widget_get_allocated_height(canvas_))};
    content_.layout(area);
    const bool focused = gtk_widget_has_focus(canvas_);
    accessibility_.update(content_.accessibilityElements(),
                          focused ? content_.focus() : std::nullopt);
}

void AppWindow::paint(cairo_t* cr) {
    layOut();
    ui::CairoCanvas canvas(cr);
    content_.draw(canvas, gtk_widget_has_focus(canvas_));
    content_.appear(); // the first time the content is on screen
}

// A click is a press and a release of the primary button, the release over a button.
void AppWindow::released(double x, double y) {
    if (std::exchange(pressedOnButton_, false)) {
        content_.click({x, y});
    }
}

bool AppWindow::moveFocus(ui::FocusDirection direction, bool entering) {
    if (entering) {
        content_.clearFocus();
    }
    const bool inside = content_.moveFocus(direction);
    focusChanged();
    return inside;
}

bool AppWindow::keyPressed(unsigned keyval, unsigned modifiers) {
    if ((modifiers & gtk_accelerator_get_default_mod_mask()) != 0 || !isPressKey(keyval)) {
        return false;
    }
    return content_.activateFocus();
}

void AppWindow::focusChanged() {
    if (!canvas_) {
        return;
    }
    accessibility_.update(content_.accessibilityElements(),
                          gtk_widget_has_focus(canvas_) ? content_.focus() : std::nullopt);
    gtk_widget_queue_draw(canvas_);
}

void AppWindow::openGallery() {
    auto started = openWidgetGallery(options_.strings);
    if (!started && window_) {
        showErrorMessage(GTK_WINDOW(window_),
                         options_.strings("The widget gallery cannot be opened"), started.error());
    }
}

} // namespace platform::app
