#include "platform/gallery/GalleryWindow.h"

#include "platform/gallery/GalleryText.h"
#include "platform/widget/PlaceRegistry.h"

#include <gtk/gtk.h>
#include <memory>
#include <string>

namespace platform::gallery {

namespace fs = std::filesystem;

namespace {

// Sizes as the command line names them, in the user's words.
std::string familyLabel(const std::string& family) {
    if (family == "small") {
        return text("Small");
    }
    if (family == "medium") {
        return text("Medium");
    }
    if (family == "large") {
        return text("Large");
    }
    return family;
}

struct Row {
    InstalledWidget widget;
    const DesktopWidgets* desktop = nullptr;
    fs::path scratch;
    GtkWidget* preview = nullptr;
    GtkWidget* families = nullptr; // a combo box, or null with one family
    GtkWidget* toggle = nullptr;
    std::string shownFamily;

    std::string family() const {
        if (!families) {
            return widget.families.front();
        }
        g_autofree gchar* id = gtk_combo_box_text_get_active_text(GTK_COMBO_BOX_TEXT(families));
        for (const auto& f : widget.families) {
            if (id && familyLabel(f) == id) {
                return f;
            }
        }
        return widget.families.front();
    }

    void showState() {
        const bool on = desktop->isOn(widget);
        gtk_button_set_label(GTK_BUTTON(toggle),
                             text(on ? "Remove from desktop" : "Add to desktop").c_str());
        auto* style = gtk_widget_get_style_context(toggle);
        gtk_style_context_remove_class(style, on ? "suggested-action" : "destructive-action");
        gtk_style_context_add_class(style, on ? "destructive-action" : "suggested-action");
    }

    void toggled() {
        if (desktop->isOn(widget)) {
            desktop->remove(widget);
        } else if (auto error = desktop->add(widget, family())) {
            auto* dialog = gtk_message_dialog_new(GTK_WINDOW(gtk_widget_get_toplevel(toggle)),
                                                  GTK_DIALOG_MODAL, GTK_MESSAGE_ERROR,
                                                  GTK_BUTTONS_CLOSE, "%s", error->c_str());
            gtk_dialog_run(GTK_DIALOG(dialog));
            gtk_widget_destroy(dialog);
        }
        showState();
    }

    // The widget's snapshot, drawn by the widget program itself at the screen's scale.
    void drawPreview() {
        const auto family = this->family();
        const int scale = gtk_widget_get_scale_factor(preview);
        const auto file = scratch / (widget.kind + "-" + family + ".png");
        const auto scaleText = std::to_string(scale);
        g_autoptr(GError) error = nullptr;
        GSubprocess* drawing = g_subprocess_new(
            static_cast<GSubprocessFlags>(G_SUBPROCESS_FLAGS_STDOUT_SILENCE |
                                          G_SUBPROCESS_FLAGS_STDERR_SILENCE),
            &error, widget.program.c_str(), "--snapshot", "--once", "--family", family.c_str(),
            "--scale", scaleText.c_str(), "--output", file.c_str(), nullptr);
        if (!drawing) {
            return;
        }
        shownFamily = family;
        g_subprocess_wait_check_async(
            drawing, nullptr,
            +[](GObject* source, GAsyncResult* result, gpointer data) {
                auto* row = static_cast<Row*>(data);
                if (g_subprocess_wait_check_finish(G_SUBPROCESS(source), result, nullptr)) {
                    row->showPreview();
                }
                g_object_unref(source);
            },
            this);
    }

    void showPreview() {
        const int scale = gtk_widget_get_scale_factor(preview);
        const auto file = scratch / (widget.kind + "-" + shownFamily + ".png");
        cairo_surface_t* picture = cairo_image_surface_create_from_png(file.c_str());
        if (cairo_surface_status(picture) == CAIRO_STATUS_SUCCESS) {
            cairo_surface_set_device_scale(picture, scale, scale);
            gtk_image_set_from_surface(GTK_IMAGE(preview), picture);
        }
        cairo_surface_destroy(picture);
    }
};

GtkWidget* label(const std::string& text, bool title) {
    GtkWidget* widget = gtk_label_new(nullptr);
    if (title) {
        g_autofree gchar* markup = g_markup_printf_escaped("<b>%s</b>", text.c_str());
        gtk_label_set_markup(GTK_LABEL(widget), markup);
    } else {
        gtk_label_set_text(GTK_LABEL(widget), text.c_str());
        gtk_label_set_line_wrap(GTK_LABEL(widget), TRUE);
    }
    gtk_label_set_xalign(GTK_LABEL(widget), 0);
    return widget;
}

GtkWidget* buildRow(Row& row) {
    GtkWidget* box = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 18);
    gtk_container_set_border_width(GTK_CONTAINER(box), 12);
    row.preview = gtk_image_new();
    gtk_widget_set_size_request(row.preview, 364, 170);
    gtk_box_pack_start(GTK_BOX(box), row.preview, FALSE, FALSE, 0);

    GtkWidget* details = gtk_box_new(GTK_ORIENTATION_VERTICAL, 6);
    gtk_widget_set_valign(details, GTK_ALIGN_CENTER);
    gtk_box_pack_start(GTK_BOX(details), label(row.widget.displayName, true), FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(details), label(row.widget.description, false), FALSE, FALSE, 0);
    if (row.widget.families.size() > 1) {
        row.families = gtk_combo_box_text_new();
        for (const auto& family : row.widget.families) {
            gtk_combo_box_text_append_text(GTK_COMBO_BOX_TEXT(row.families),
                                           familyLabel(family).c_str());
        }
        gtk_combo_box_set_active(GTK_COMBO_BOX(row.families), 0);
        g_signal_connect_swapped(row.families, "changed",
                                 G_CALLBACK(+[](Row* r) { r->drawPreview(); }), &row);
        gtk_widget_set_halign(row.families, GTK_ALIGN_START);
        gtk_box_pack_start(GTK_BOX(details), row.families, FALSE, FALSE, 0);
    }
    row.toggle = gtk_button_new();
    gtk_widget_set_halign(row.toggle, GTK_ALIGN_START);
    g_signal_connect_swapped(row.toggle, "clicked", G_CALLBACK(+[](Row* r) { r->toggled(); }),
                             &row);
    gtk_box_pack_start(GTK_BOX(details), row.toggle, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(box), details, TRUE, TRUE, 0);
    row.showState();
    row.drawPreview();
    return box;
}

} // namespace

int runGalleryWindow(std::vector<InstalledWidget> widgets, const DesktopWidgets& desktop,
                     const fs::path& scratch) {
    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_title(GTK_WINDOW(window), text("Widgets").c_str());
    gtk_window_set_default_size(GTK_WINDOW(window), 640, 460);
    g_signal_connect(window, "destroy", G_CALLBACK(gtk_main_quit), nullptr);
    // Ctrl+W and Ctrl+Q close it, as in any GTK application.
    g_signal_connect(window, "key-press-event",
                     G_CALLBACK(+[](GtkWidget* self, GdkEventKey* key, gpointer) -> gboolean {
                         const guint letter = gdk_keyval_to_lower(key->keyval);
                         if ((key->state & GDK_CONTROL_MASK) &&
                             (letter == GDK_KEY_w || letter == GDK_KEY_q)) {
                             gtk_widget_destroy(self);
                             return TRUE;
                         }
                         return FALSE;
                     }),
                     nullptr);

    std::vector<std::unique_ptr<Row>> rows;
    GtkWidget* list = gtk_list_box_new();
    gtk_list_box_set_selection_mode(GTK_LIST_BOX(list), GTK_SELECTION_NONE);
    for (auto& widget : widgets) {
        rows.push_back(std::make_unique<Row>(Row{std::move(widget), &desktop, scratch}));
        gtk_list_box_insert(GTK_LIST_BOX(list), buildRow(*rows.back()), -1);
        // Tab goes from control to control, not through the rows that hold them.
        gtk_widget_set_can_focus(GTK_WIDGET(gtk_list_box_get_row_at_index(
                                     GTK_LIST_BOX(list), static_cast<int>(rows.size() - 1))),
                                 FALSE);
    }
    if (rows.empty()) {
        gtk_list_box_set_placeholder(GTK_LIST_BOX(list),
                                     label(text("No widgets are installed."), false));
    }
    GtkWidget* scrolled = gtk_scrolled_window_new(nullptr, nullptr);
    gtk_container_add(GTK_CONTAINER(scrolled), list);
    gtk_container_add(GTK_CONTAINER(window), scrolled);

    // A widget started or ended elsewhere shows as it is.
    g_autoptr(GFileMonitor) monitor = nullptr;
    if (auto places = widget::PlaceRegistry::folder()) {
        std::error_code ignored;
        fs::create_directories(*places, ignored);
        g_autoptr(GFile) folder = g_file_new_for_path(places->c_str());
        monitor = g_file_monitor_directory(folder, G_FILE_MONITOR_NONE, nullptr, nullptr);
        if (monitor) {
            g_signal_connect_swapped(monitor, "changed", G_CALLBACK(+[](decltype(rows)* all) {
                                         for (auto& row : *all) {
                                             row->showState();
                                         }
                                     }),
                                     &rows);
        }
    }
    gtk_widget_show_all(window);
    // A person at the keyboard starts on the first widget's button.
    if (!rows.empty()) {
        gtk_widget_grab_focus(rows.front()->toggle);
    }
    gtk_main();
    return 0;
}

} // namespace platform::gallery
