// The application driven from the keyboard alone, in a private X server: Tab brings the focus
// ring to the update button, Return opens the service's page, Ctrl+Q quits.
#include "tests/support/ChildProgram.h"
#include "tests/support/DefaultHandler.h"
#include "tests/support/Eventually.h"
#include "tests/support/PrivateSessionBus.h"
#include "tests/support/TemporaryDirectory.h"
#include "tests/support/VirtualDisplay.h"
#include "tests/support/servers/RunningDemoService.h"

#include <cairo.h>
#include <cstdint>
#include <filesystem>
#include <gio/gio.h>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using namespace trelvo::test;

constexpr auto program = TRELVO_RESULTS;

struct SurfaceDeleter {
    void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
using Surface = std::unique_ptr<cairo_surface_t, SurfaceDeleter>;

struct Counts {
    int ring = 0;  // pixels of the focus colour, #007AFF, opaque
    int label = 0; // pixels of the update button's red label
};

Counts countColours(const fs::path& shot) {
    Surface image(cairo_image_surface_create_from_png(shot.c_str()));
    Counts counts;
    if (cairo_surface_status(image.get()) != CAIRO_STATUS_SUCCESS) {
        return counts;
    }
    const int width = cairo_image_surface_get_width(image.get());
    const int height = cairo_image_surface_get_height(image.get());
    const int stride = cairo_image_surface_get_stride(image.get());
    const auto* data = cairo_image_surface_get_data(image.get());
    for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(data + y * stride);
        for (int x = 0; x < width; ++x) {
            const std::uint32_t rgb = row[x] & 0xFFFFFF;
            counts.ring += rgb == 0x007AFF ? 1 : 0;
            const int r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
            counts.label += r > 230 && g < 150 && std::abs(g - b) < 30 ? 1 : 0;
        }
    }
    return counts;
}

TEST(TrelvoResultsKeyboard, TabShowsTheRingOnTheUpdateButtonReturnOpensThePageCtrlQQuits) {
    for (const char* tool : {"Xvfb", "xdotool", "import", "dbus-daemon"}) {
        g_autofree gchar* found = g_find_program_in_path(tool);
        if (!found) {
            GTEST_SKIP() << "needs " << tool;
        }
    }
    RunningDemoService service;
    service.setLatestVersion("9.9.9");
    PrivateSessionBus session;
    DefaultHandler handler;
    VirtualDisplay display;
    ASSERT_FALSE(display.name().empty()) << "Xvfb did not start";
    TemporaryDirectory scratch("trelvo-keyboard-e2e");
    const std::vector<std::string> onDisplay{"DISPLAY=" + display.name()};
    const auto keys = [&](std::vector<std::string> command) {
        command.insert(command.begin(), "xdotool");
        auto run = runToEnd(command, scratch.path(), onDisplay);
        return run.status && *run.status == ExitStatus::withCode(0);
    };
    const auto screen = [&](const std::string& name) {
        const auto folder = fs::path(TRELVO_BINARY_DIR) / "pictures";
        fs::create_directories(folder);
        const auto shot = folder / ("TrelvoResults-" + name + ".png");
        runToEnd({"import", "-window", "root", shot.string()}, scratch.path(), onDisplay);
        return countColours(shot);
    };

    auto environment = handler.environment();
    for (std::string entry : {"DISPLAY=" + display.name(), "SSL_CERT_FILE=" + service.caFile(),
                              "TRELVO_SERVICE_URL=" + service.baseURL()}) {
        environment.push_back(entry);
    }
    for (const char* entry : {"NO_AT_BRIDGE=1", "GSETTINGS_BACKEND=memory", "WAYLAND_DISPLAY"}) {
        environment.emplace_back(entry);
    }
    ChildProgram app({program}, scratch.path(), environment);
    ASSERT_TRUE(app.started());
    ASSERT_TRUE(app.waitForLine("AppVersionModel(version: \"9.9.9\")", 20s)) << app.errors();
    ASSERT_TRUE(keys({"search", "--sync", "--name", "Trelvo Results", "windowfocus", "--sync"}));

    const auto before = screen("before-tab");
    EXPECT_GT(before.label, 20) << "the update button is on the screen";
    EXPECT_EQ(before.ring, 0) << "no ring before the keyboard is used";
    ASSERT_TRUE(keys({"key", "Tab"}));
    // The ring goes round a button some 190 by 22 points: at least half its length is of the
    // exact colour, whatever the antialiasing of its edges.
    EXPECT_TRUE(eventually([&] { return screen("focus-ring").ring > 190 + 22; }))
        << "no focus ring after Tab";

    ASSERT_TRUE(keys({"key", "Return"}));
    EXPECT_EQ(handler.nextOpened(), service.baseURL());

    ASSERT_TRUE(keys({"key", "ctrl+q"}));
    const auto status = app.waitForExit(15s);
    expectClean({status, app.output(), app.errors()});
}

} // namespace
