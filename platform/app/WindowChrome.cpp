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

void appendItem(GMenu* section, const std::string& label, const char* action,
                const char* accelerator = nullptr) {
    ui::GObjectPtr<GMenuItem> item(g_menu_item_new(label.c_str(), action));
    if (accelerator) {
        g_menu_item_set_attribute(item.get(), "accel", "s", accelerator);
    }
    g_menu_append_item(section, item.get());
}

ui::GObjectPtr<GMenu> menuModel(const RuntimeStrings& strings) {
    ui::GObjectPtr<GMenu> menu(g_menu_new());
    ui::GObjectPtr<GMenu> widgets(g_menu_new());
    appendItem(widgets.get(), strings("Add widgets…"), "win.add-widgets");
    ui::GObjectPtr<GMenu> application(g_menu_new());
    appendItem(application.get(), strings("About"), "win.about");
    appendItem(application.get(), strings("Quit"), "win.quit", "<Primary>q");
    g_menu_append_section(menu.get(), nullptr, G_MENU_MODEL(widgets.get()));
    g_menu_append_section(menu.get(), nullptr, G_MENU_MODEL(application.get()));
    return menu;
}

GtkWidget* menuButton(const RuntimeStrings& strings) {
    auto* button = gtk_menu_button_new();
    gtk_menu_button_set_menu_model(GTK_MENU_BUTTON(button), G_MENU_MODEL(menuModel(strings).get()));
    gtk_button_set_image(GTK_BUTTON(button),
                         gtk_image_new_from_icon_name("open-menu-symbolic", GTK_ICON_SIZE_BUTTON));
    const auto name = strings("Main menu");
    gtk_widget_set_tooltip_text(button, name.c_str());
    atk_object_set_name(gtk_widget_get_accessible(button), name.c_str());
    return button;
}

} // namespace

void addWindowChrome(GtkWindow* window, const std::string& title, const RuntimeStrings& strings,
                     WindowMenu menu) {
    ui::GObjectPtr<GSimpleActionGroup> actions(g_simple_action_group_new());
    addAction(actions.get(), "add-widgets", std::move(menu.addWidgets));
    addAction(actions.get(), "about", std::move(menu.about));
    addAction(actions.get(), "quit", std::move(menu.quit));
    addAction(actions.get(), "close", std::move(menu.close));
    gtk_widget_insert_action_group(GTK_WIDGET(window), "win", G_ACTION_GROUP(actions.get()));

    ui::GObjectPtr<GtkAccelGroup> accelerators(gtk_accel_group_new());
    addShortcut(accelerators.get(), GDK_KEY_q, actions.get(), "quit");
    addShortcut(accelerators.get(), GDK_KEY_w, actions.get(), "close");
    gtk_window_add_accel_group(window, accelerators.get());

    auto* bar = gtk_header_bar_new();
    gtk_header_bar_set_title(GTK_HEADER_BAR(bar), title.c_str());
    gtk_header_bar_set_show_close_button(GTK_HEADER_BAR(bar), TRUE);
    gtk_header_bar_pack_end(GTK_HEADER_BAR(bar), menuButton(strings));
    gtk_window_set_titlebar(window, bar);
}

} // namespace platform::app
