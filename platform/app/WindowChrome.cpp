#include "platform/app/WindowChrome.h"

#include "platform/ui/CairoHandles.h"

#include <gtk/gtk.h>
#include <memory>

namespace platform::app {

namespace {

struct Handler {
    std::function<void()> run;
};

// A window action ("win.<name>") running `run`; the window's action group keeps it.
void addAction(GSimpleActionGroup* group, const char* name, std::function<void()> run) {
    ui::GObjectPtr<GSimpleAction> action(g_simple_action_new(name, nullptr));
    g_signal_connect_data(
        action.get(), "activate", G_CALLBACK(+[](GSimpleAction*, GVariant*, gpointer data) {
            if (auto& run = static_cast<Handler*>(data)->run) {
                run();
            }
        }),
        std::make_unique<Handler>(Handler{std::move(run)}).release(),
        [](gpointer data, GClosure*) {
            std::unique_ptr<Handler> gone(static_cast<Handler*>(data));
        },
        GConnectFlags(0));
    g_action_map_add_action(G_ACTION_MAP(group), G_ACTION(action.get()));
}

// Ctrl+<key> activates the named action of the group.
void addShortcut(GtkAccelGroup* accelerators, guint key, GSimpleActionGroup* group,
                 const char* name) {
    auto* action = g_action_map_lookup_action(G_ACTION_MAP(group), name);
    auto* closure = g_cclosure_new(
        G_CALLBACK(+[](GtkAccelGroup*, GObject*, guint, GdkModifierType, gpointer action) {
            g_action_activate(G_ACTION(action), nullptr);
            return gboolean(TRUE);
        }),
        g_object_ref(action), [](gpointer action, GClosure*) { g_object_unref(action); });
    gtk_accel_group_connect(accelerators, key, GDK_CONTROL_MASK, GTK_ACCEL_VISIBLE, closure);
}

} // namespace

void addWindowChrome(GtkWindow* window, WindowMenu menu) {
    ui::GObjectPtr<GSimpleActionGroup> actions(g_simple_action_group_new());
    addAction(actions.get(), "quit", std::move(menu.quit));
    addAction(actions.get(), "close", std::move(menu.close));
    gtk_widget_insert_action_group(GTK_WIDGET(window), "win", G_ACTION_GROUP(actions.get()));

    ui::GObjectPtr<GtkAccelGroup> accelerators(gtk_accel_group_new());
    addShortcut(accelerators.get(), GDK_KEY_q, actions.get(), "quit");
    addShortcut(accelerators.get(), GDK_KEY_w, actions.get(), "close");
    gtk_window_add_accel_group(window, accelerators.get());
}

} // namespace platform::app
