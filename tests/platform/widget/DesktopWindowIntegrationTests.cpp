#include "platform/foundation/Clock.h"
#include "platform/foundation/LinePrinter.h"
#include "platform/foundation/TimeZone.h"
#include "platform/ui/CairoHandles.h"
#include "platform/widget/DesktopWindow.h"
#include "platform/widget/WidgetMain.h"

#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

namespace ui = platform::ui;
using namespace platform::widget;
using platform::dispatch::DispatchQueue;
using platform::foundation::Date;

// A private X server for the suite: Xvfb picks a free display and tells us which.
class PrivateDisplay {
public:
    PrivateDisplay() {
        int fds[2];
        if (::pipe(fds) != 0) {
            return;
        }
        std::string fd = std::to_string(fds[1]);
        std::vector<std::string> args{"Xvfb", "-displayfd", fd,          "-screen",
                                      "0",    "800x600x24", "-nolisten", "tcp"};
        std::vector<char*> argv;
        for (auto& arg : args) {
            argv.push_back(arg.data());
        }
        argv.push_back(nullptr);
        if (::posix_spawnp(&pid_, "Xvfb", nullptr, nullptr, argv.data(), environ) != 0) {
            pid_ = 0;
        }
        ::close(fds[1]);
        char number[16] = {};
        auto got = pid_ ? ::read(fds[0], number, sizeof number - 1) : 0;
        ::close(fds[0]);
        if (got > 0) {
            display_ = ":" + std::string(number, std::strcspn(number, "\n"));
        }
    }
    ~PrivateDisplay() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    const std::string& name() const { return display_; }

private:
    pid_t pid_ = 0;
    std::string display_;
};

class DesktopWindowTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        display = std::make_unique<PrivateDisplay>(); // one for the process: GTK connects once
        if (!display->name().empty()) {
            ::setenv("DISPLAY", display->name().c_str(), 1);
            ::unsetenv("WAYLAND_DISPLAY");
        }
    }
    static void TearDownTestSuite() { display.reset(); }
    void SetUp() override {
        if (display->name().empty()) {
            GTEST_SKIP() << "Xvfb is not available";
        }
    }

    std::unique_ptr<DesktopWindow> open(ui::Size points) {
        auto window = DesktopWindow::open({points, "Test widget", {}});
        EXPECT_TRUE(window) << (window ? "" : window.error());
        return window ? std::move(*window) : nullptr;
    }

    static void showAndWait(GtkWidget* widget) {
        while (!gtk_widget_get_mapped(widget)) {
            g_main_context_iteration(nullptr, TRUE);
        }
    }

    static std::vector<std::string> windowState(GtkWidget* widget) {
        GdkAtom type;
        gint format = 0, length = 0;
        guchar* data = nullptr;
        std::vector<std::string> names;
        if (gdk_property_get(gtk_widget_get_window(widget), gdk_atom_intern("_NET_WM_STATE", FALSE),
                             gdk_atom_intern("ATOM", FALSE), 0, 64, FALSE, &type, &format, &length,
                             &data)) {
            auto* atoms = reinterpret_cast<GdkAtom*>(data);
            for (std::size_t i = 0; i < length / sizeof(GdkAtom); ++i) {
                gchar* name = gdk_atom_name(atoms[i]);
                names.emplace_back(name);
                g_free(name);
            }
            g_free(data);
        }
        return names;
    }

    static std::uint32_t pixel(cairo_surface_t* surface, int x, int y) {
        cairo_surface_flush(surface);
        std::uint32_t value;
        std::memcpy(&value,
                    cairo_image_surface_get_data(surface) +
                        y * cairo_image_surface_get_stride(surface) + x * 4,
                    4);
        return value;
    }

    static inline std::unique_ptr<PrivateDisplay> display;
};

TEST_F(DesktopWindowTest, IsAnUndecoratedDesktopWidgetOfTheFamilySize) {
    auto window = open({364, 170});
    ASSERT_TRUE(window);
    GtkWidget* widget = window->widget();
    showAndWait(widget);

    EXPECT_FALSE(gtk_window_get_decorated(GTK_WINDOW(widget)));
    EXPECT_TRUE(gtk_window_get_skip_taskbar_hint(GTK_WINDOW(widget)));
    EXPECT_TRUE(gtk_window_get_skip_pager_hint(GTK_WINDOW(widget)));
    auto state = windowState(widget);
    for (const char* expected : {"_NET_WM_STATE_BELOW", "_NET_WM_STATE_STICKY",
                                 "_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER"}) {
        EXPECT_NE(std::find(state.begin(), state.end(), expected), state.end()) << expected;
    }
    EXPECT_EQ(gtk_widget_get_allocated_width(widget), 364);
    EXPECT_EQ(gtk_widget_get_allocated_height(widget), 170);
    if (gdk_screen_get_rgba_visual(gtk_widget_get_screen(widget))) {
        EXPECT_EQ(gdk_visual_get_depth(gtk_widget_get_visual(widget)), 32);
    }
}

TEST_F(DesktopWindowTest, DrawsTheContentClippedWithTransparentCorners) {
    auto window = open({170, 170});
    ASSERT_TRUE(window);
    window->show(ui::View(ui::Color::blue), {});
    showAndWait(window->widget());

    ui::SurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 340, 340));
    cairo_surface_set_device_scale(surface.get(), 2, 2); // as GTK gives it on a HiDPI monitor
    ui::CairoPtr cr(cairo_create(surface.get()));
    gtk_widget_draw(window->widget(), cr.get());

    EXPECT_EQ(pixel(surface.get(), 1, 1), 0u);
    EXPECT_EQ(pixel(surface.get(), 338, 338), 0u);
    EXPECT_EQ(pixel(surface.get(), 170, 170), 0xff007affu);
    EXPECT_EQ(pixel(surface.get(), 170, 1), 0xff007affu);
}

TEST_F(DesktopWindowTest, StaleShowsTheBadgeAndSaysWhenItLastUpdated) {
    platform::foundation::ScopedTimeZone utc("UTC");
    auto window = open({170, 170});
    ASSERT_TRUE(window);
    Presentation stale;
    stale.stale = true;
    stale.lastUpdated = Date::fromTimeIntervalSince1970(1623369600 + 9 * 3600 + 5 * 60);
    window->show(ui::View(ui::Color::blue), stale);

    gchar* tooltip = gtk_widget_get_tooltip_text(window->widget());
    ASSERT_NE(tooltip, nullptr);
    EXPECT_STREQ(tooltip, "Last updated 09:05");
    g_free(tooltip);

    ui::SurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 170, 170));
    ui::CairoPtr cr(cairo_create(surface.get()));
    gtk_widget_draw(window->widget(), cr.get());
    EXPECT_NE(pixel(surface.get(), 170 - 14, 14), 0xff007affu);

    Presentation fresh;
    fresh.lastUpdated = stale.lastUpdated;
    window->show(ui::View(ui::Color::blue), fresh);
    EXPECT_EQ(gtk_widget_get_tooltip_text(window->widget()), nullptr);
}

struct BlueEntry {
    Date date;
};

struct BlueProvider {
    BlueEntry placeholder(const TimelineProviderContext&) const { return {Date::now()}; }
    void getSnapshot(const TimelineProviderContext&, std::function<void(BlueEntry)> done) const {
        done({Date::now()});
    }
    void getTimeline(const TimelineProviderContext&,
                     std::function<void(Timeline<BlueEntry>)> done) const {
        done(Timeline{std::vector{BlueEntry{Date::now()}},
                      TimelineReloadPolicy::after(Date::now().addingTimeInterval(60))});
    }
};

struct BlueWidget {
    const std::string kind = "BlueWidget";
    auto body() const {
        return StaticConfiguration(kind, BlueProvider(),
                                   [](const BlueEntry&) { return ui::View(ui::Color::blue); });
    }
};

TEST_F(DesktopWindowTest, TheHostsWindowEndsCleanlyOnSIGTERM) {
    std::string program = "blue-widget";
    char* argv[] = {program.data(), nullptr};
    DispatchQueue::main().async([] {
        DispatchQueue::main().async([] { std::raise(SIGTERM); }); // after the first timeline
    });
    testing::internal::CaptureStderr();
    int status = platform::widget::main<BlueWidget>(1, argv);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(status, 0);
}

} // namespace
