#include "platform/foundation/TimeZone.h"
#include "platform/ui/CairoHandles.h"
#include "platform/widget/DesktopWindow.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/VirtualDisplay.h"

#include <cstring>
#include <gtest/gtest.h>
#include <gtk/gtk.h>

namespace {

namespace ui = platform::ui;
using namespace platform::widget;
using platform::foundation::Date;
using trelvo::test::ScopedEnv;

std::vector<std::string> windowState(GtkWidget* widget) {
    GdkAtom type;
    gint format = 0, length = 0;
    guchar* data = nullptr;
    std::vector<std::string> names;
    if (gdk_property_get(gtk_widget_get_window(widget), gdk_atom_intern("_NET_WM_STATE", FALSE),
                         gdk_atom_intern("ATOM", FALSE), 0, 64, FALSE, &type, &format, &length,
                         &data)) {
        for (std::size_t i = 0; i < length / sizeof(GdkAtom); ++i) {
            g_autofree gchar* name = gdk_atom_name(reinterpret_cast<GdkAtom*>(data)[i]);
            names.emplace_back(name);
        }
        g_free(data);
    }
    return names;
}

// The window drawn as GTK draws it at `scale` pixels a point (ARGB): the pixels at two corners,
// at the middle of the top edge, at the centre, and where the stale badge sits.
std::vector<std::uint32_t> drawn(GtkWidget* widget, int scale) {
    ui::SurfacePtr surface(
        cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 364 * scale, 170 * scale));
    cairo_surface_set_device_scale(surface.get(), scale, scale);
    ui::CairoPtr cr(cairo_create(surface.get()));
    gtk_widget_draw(widget, cr.get());
    cairo_surface_flush(surface.get());
    std::vector<std::uint32_t> pixels;
    for (auto [x, y] :
         {std::pair{0.5, 0.5}, {363.5, 169.5}, {182.0, 0.5}, {182.0, 85.0}, {364.0 - 14, 14.0}}) {
        pixels.push_back(0);
        std::memcpy(&pixels.back(),
                    cairo_image_surface_get_data(surface.get()) +
                        int(y * scale) * cairo_image_surface_get_stride(surface.get()) +
                        int(x * scale) * 4,
                    4);
    }
    return pixels;
}

TEST(DesktopWindow, AnUndecoratedWidgetBelowTheOthersWithClearCornersAndAStaleBadge) {
    trelvo::test::VirtualDisplay display;
    ASSERT_FALSE(display.name().empty()) << "Xvfb did not start";
    ScopedEnv x11("DISPLAY", display.name()), wayland("WAYLAND_DISPLAY", std::nullopt);
    auto opened = DesktopWindow::open({{364, 170}, "Test widget", {}});
    ASSERT_TRUE(opened) << opened.error();
    auto& window = **opened;
    GtkWidget* widget = window.widget();
    window.show(ui::View(ui::Color::blue), {});
    while (!gtk_widget_get_mapped(widget)) {
        g_main_context_iteration(nullptr, TRUE);
    }
    EXPECT_FALSE(gtk_window_get_decorated(GTK_WINDOW(widget)));
    auto state = windowState(widget);
    for (const char* hint : {"_NET_WM_STATE_BELOW", "_NET_WM_STATE_STICKY",
                             "_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER"}) {
        EXPECT_NE(std::find(state.begin(), state.end(), hint), state.end()) << hint;
    }
    EXPECT_EQ(gtk_widget_get_allocated_width(widget), 364);
    EXPECT_EQ(gtk_widget_get_allocated_height(widget), 170);
    if (gdk_screen_get_rgba_visual(gtk_widget_get_screen(widget))) {
        EXPECT_EQ(gdk_visual_get_depth(gtk_widget_get_visual(widget)), 32);
    }
    const std::uint32_t blue = 0xff007aff;
    EXPECT_EQ(drawn(widget, 2), (std::vector<std::uint32_t>{0, 0, blue, blue, blue}));

    platform::foundation::ScopedTimeZone utc("UTC");
    Presentation stale{.stale = true, .lastUpdated = Date::fromTimeIntervalSince1970(32700)};
    window.show(ui::View(ui::Color::blue), stale);
    g_autofree gchar* tooltip = gtk_widget_get_tooltip_text(widget);
    EXPECT_STREQ(tooltip, "Last updated 09:05");
    EXPECT_NE(drawn(widget, 1).back(), blue); // the badge

    window.show(ui::View(ui::Color::blue), {.lastUpdated = stale.lastUpdated});
    EXPECT_EQ(gtk_widget_get_tooltip_text(widget), nullptr);
    EXPECT_EQ(drawn(widget, 1).back(), blue);
}

} // namespace
