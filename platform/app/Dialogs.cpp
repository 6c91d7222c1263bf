#include "platform/app/Dialogs.h"

#include <gtk/gtk.h>

namespace platform::app {

namespace {

void closeOnResponse(GtkWidget* dialog) {
    g_signal_connect(dialog, "response", G_CALLBACK(gtk_widget_destroy), nullptr);
}

} // namespace

void showAboutDialog(GtkWindow* parent, const AboutInfo& about) {
    auto* dialog = gtk_about_dialog_new();
    auto* window = GTK_ABOUT_DIALOG(dialog);
    gtk_about_dialog_set_program_name(window, about.name.c_str());
    gtk_about_dialog_set_version(window, about.version.c_str());
    if (auto website = about.website ? about.website() : std::nullopt) {
        gtk_about_dialog_set_website(window, website->c_str());
        gtk_about_dialog_set_website_label(window,
                                           website->c_str()); // where it leads, not "Website"
    }
    // The installed icon; a build tree has none, and a missing-image sign would say nothing.
    const bool hasIcon =
        !about.iconName.empty() &&
        gtk_icon_theme_has_icon(gtk_icon_theme_get_default(), about.iconName.c_str());
    gtk_about_dialog_set_logo_icon_name(window, hasIcon ? about.iconName.c_str() : "");
    gtk_window_set_transient_for(GTK_WINDOW(dialog), parent);
    gtk_window_set_modal(GTK_WINDOW(dialog), TRUE);
    gtk_window_set_destroy_with_parent(GTK_WINDOW(dialog), TRUE);
    closeOnResponse(dialog);
    gtk_widget_show(dialog);
}

void showErrorMessage(GtkWindow* parent, const std::string& title, const std::string& detail) {
    auto* dialog = gtk_message_dialog_new(
        parent, static_cast<GtkDialogFlags>(GTK_DIALOG_MODAL | GTK_DIALOG_DESTROY_WITH_PARENT),
        GTK_MESSAGE_ERROR, GTK_BUTTONS_CLOSE, "%s", title.c_str());
    gtk_message_dialog_format_secondary_text(GTK_MESSAGE_DIALOG(dialog), "%s", detail.c_str());
    gtk_window_set_title(GTK_WINDOW(dialog), title.c_str());
    closeOnResponse(dialog);
    gtk_widget_show(dialog);
}

} // namespace platform::app
