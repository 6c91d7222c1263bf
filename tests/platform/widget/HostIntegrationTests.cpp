// The host's ties to the desktop: its window on a private X display, and the sleep monitor on a
// private bus standing in for the system bus, with the test as logind.

#include "platform/foundation/TimeZone.h"
#include "platform/ui/CairoHandles.h"
#include "platform/widget/DesktopWindow.h"
#include "platform/widget/SleepMonitor.h"
#include "tests/support/ChildProgram.h"
#include "tests/support/Eventually.h"
#include "tests/support/PrivateSystemBus.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TemporaryDirectory.h"
#include "tests/support/VirtualDisplay.h"

#include <gtest/gtest.h>
#include <gtk/gtk.h>

namespace {

namespace ui = platform::ui;
using namespace platform::widget;
using namespace std::chrono_literals;
using platform::foundation::Date;
using trelvo::test::PrivateSystemBus;
using trelvo::test::runToEnd;
using trelvo::test::ScopedEnv;

// The window drawn as GTK draws it at `scale` pixels a point (ARGB): the pixels at two corners,
// at the middle of the top edge, at the centre, and where the stale badge sits.
std::vector<std::uint32_t> drawn(GtkWidget* widget, int scale) {
    ui::SurfacePtr surface(
        cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 364 * scale, 170 * scale));
    cairo_surface_set_device_scale(surface.get(), scale, scale);
    gtk_widget_draw(widget, ui::CairoPtr(cairo_create(surface.get())).get());
    cairo_surface_flush(surface.get());
    const auto* pixels =
        reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(surface.get()));
    std::vector<std::uint32_t> probes;
    for (auto [x, y] :
         {std::pair{0.5, 0.5}, {363.5, 169.5}, {182.0, 0.5}, {182.0, 85.0}, {364.0 - 14, 14.0}}) {
        probes.push_back(pixels[int(y * scale) * 364 * scale + int(x * scale)]);
    }
    return probes;
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
    gdk_display_sync(gdk_display_get_default()); // for another client to see
    const auto state = runToEnd({"xprop", "-name", "Test widget", "_NET_WM_STATE"}, "/").output;
    for (const char* hint : {"BELOW", "STICKY", "SKIP_TASKBAR", "SKIP_PAGER"}) {
        EXPECT_NE(state.find(std::string("_NET_WM_STATE_") + hint), state.npos) << state;
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

// A resume is heard, and heard again once the bus has been restarted under the monitor.
TEST(SleepMonitor, HearsResumeAgainOnceTheSystemBusIsBack) {
    trelvo::test::TemporaryDirectory folder("sleep-monitor");
    // While the bus is down the monitor finds none, and never the machine's own.
    ScopedEnv down("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=" + (folder.path() / "down").string());
    std::optional<PrivateSystemBus> bus(std::in_place, folder.path());
    ASSERT_TRUE(bus->ready()) << "no private bus: is dbus-daemon installed?";
    int heard = 0;
    SleepMonitor monitor([&] { ++heard; }, {.first = 10ms, .most = 40ms});
    // Says "resumed" while running the loop until the monitor hears it: it connects and
    // subscribes in the background, so the first words may go unheard.
    const auto heardWithin = [&](std::chrono::milliseconds limit) {
        const int before = heard;
        return trelvo::test::eventually(
            [&] {
                bus->announceSleep(false);
                while (g_main_context_iteration(nullptr, FALSE)) {
                }
                return heard > before;
            },
            limit);
    };
    ASSERT_TRUE(heardWithin(10s));

    bus->stop();
    // A few attempts fail meanwhile; words sent before the stop may still arrive, so none count.
    for (const auto until = std::chrono::steady_clock::now() + 100ms;
         std::chrono::steady_clock::now() < until;)
        g_main_context_iteration(nullptr, FALSE);
    bus.emplace(folder.path()); // back, as after a restart of the system bus
    ASSERT_TRUE(bus->ready());
    EXPECT_TRUE(heardWithin(10s)) << "no resume heard after the bus came back";
}

} // namespace
