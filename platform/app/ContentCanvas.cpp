#include "platform/app/ContentCanvas.h"

#include "platform/app/ContentAccessibility.h"

#include <gtk/gtk-a11y.h>
#include <gtk/gtk.h>
#include <memory>

namespace platform::app {
namespace {

GQuark behaviourQuark() {
    return g_quark_from_static_string("platform-app-canvas-behaviour");
}

ContentCanvasBehaviour* behaviourOf(GtkWidget* widget) {
    return widget ? static_cast<ContentCanvasBehaviour*>(
                        g_object_get_qdata(G_OBJECT(widget), behaviourQuark()))
                  : nullptr;
}

ContentAccessibility* accessibilityOf(AtkObject* accessible) {
    auto* behaviour = behaviourOf(gtk_accessible_get_widget(GTK_ACCESSIBLE(accessible)));
    return behaviour ? behaviour->accessibility : nullptr;
}

// The canvas's accessible: GTK's own for a widget, with the content's elements as children.
struct PlatformCanvasAccessible {
    GtkWidgetAccessible parent;
};
struct PlatformCanvasAccessibleClass {
    GtkWidgetAccessibleClass parent_class;
};

G_DEFINE_TYPE(PlatformCanvasAccessible, platform_canvas_accessible, GTK_TYPE_WIDGET_ACCESSIBLE)

void platform_canvas_accessible_init(PlatformCanvasAccessible*) {}

gint childCount(AtkObject* accessible) {
    auto* elements = accessibilityOf(accessible);
    return elements ? elements->count() : 0;
}

AtkObject* refChild(AtkObject* accessible, gint index) {
    auto* elements = accessibilityOf(accessible);
    auto* child = elements ? elements->child(index) : nullptr;
    return child ? ATK_OBJECT(g_object_ref(child)) : nullptr;
}

void platform_canvas_accessible_class_init(PlatformCanvasAccessibleClass* klass) {
    auto* atkClass = ATK_OBJECT_CLASS(klass);
    atkClass->get_n_children = childCount;
    atkClass->ref_child = refChild;
}

struct PlatformContentCanvas {
    GtkDrawingArea parent;
};
struct PlatformContentCanvasClass {
    GtkDrawingAreaClass parent_class;
};

G_DEFINE_TYPE(PlatformContentCanvas, platform_content_canvas, GTK_TYPE_DRAWING_AREA)

void platform_content_canvas_init(PlatformContentCanvas* canvas) {
    gtk_widget_set_can_focus(GTK_WIDGET(canvas), TRUE);
}

ui::FocusDirection focusDirection(GtkDirectionType direction) {
    switch (direction) {
    case GTK_DIR_TAB_BACKWARD:
    case GTK_DIR_UP:
    case GTK_DIR_LEFT:
        return ui::FocusDirection::backward;
    case GTK_DIR_TAB_FORWARD:
    case GTK_DIR_DOWN:
    case GTK_DIR_RIGHT:
        break;
    }
    return ui::FocusDirection::forward;
}

// Replaces GTK's "take focus once, then pass it on": each button is a stop of its own.
gboolean focus(GtkWidget* widget, GtkDirectionType direction) {
    auto* behaviour = behaviourOf(widget);
    if (!behaviour || !behaviour->moveFocus) {
        return FALSE;
    }
    const bool entering = !gtk_widget_is_focus(widget);
    if (!behaviour->moveFocus(focusDirection(direction), entering)) {
        return FALSE;
    }
    if (entering) {
        gtk_widget_grab_focus(widget);
    }
    return TRUE;
}

void platform_content_canvas_class_init(PlatformContentCanvasClass* klass) {
    auto* widgetClass = GTK_WIDGET_CLASS(klass);
    widgetClass->focus = focus;
    gtk_widget_class_set_accessible_type(widgetClass, platform_canvas_accessible_get_type());
    gtk_widget_class_set_accessible_role(widgetClass, ATK_ROLE_PANEL);
}

} // namespace

GtkWidget* newContentCanvas(ContentCanvasBehaviour behaviour) {
    auto* canvas = GTK_WIDGET(g_object_new(platform_content_canvas_get_type(), nullptr));
    auto owned = std::make_unique<ContentCanvasBehaviour>(std::move(behaviour));
    g_object_set_qdata_full(G_OBJECT(canvas), behaviourQuark(), owned.release(), [](gpointer data) {
        std::unique_ptr<ContentCanvasBehaviour> gone(static_cast<ContentCanvasBehaviour*>(data));
    });
    return canvas;
}

} // namespace platform::app
