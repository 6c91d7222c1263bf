// The application driven from the keyboard alone, in a private X server: Tab brings the focus
// ring to the update button, Return, Enter and Space open the service's page, Ctrl+W closes.
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

// Pixels of the focus colour (#007AFF, opaque) in a screenshot.
int focusColoured(const fs::path& shot) {
    std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)> image(
        cairo_image_surface_create_from_png(shot.c_str()), cairo_surface_destroy);
    if (cairo_surface_status(image.get()) != CAIRO_STATUS_SUCCESS) {
        return 0;
    }
    const int stride = cairo_image_surface_get_stride(image.get());
    const auto* data = cairo_image_surface_get_data(image.get());
    int count = 0;
    for (int y = 0; y < cairo_image_surface_get_height(image.get()); ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(data + y * stride);
        for (int x = 0; x < cairo_image_surface_get_width(image.get()); ++x) {
            count += (row[x] & 0xFFFFFF) == 0x007AFF ? 1 : 0;
        }
    }
    return count;
}

TEST(TrelvoResultsKeyboard, TabRingsTheUpdateButtonReturnEnterAndSpaceOpenThePageCtrlWCloses) {
    for (const char* tool : {"Xvfb", "xdotool", "import", "dbus-daemon"}) {
        if (g_autofree gchar* found = g_find_program_in_path(tool); !found) {
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
    const auto onDisplay = [&](std::vector<std::string> command) {
        auto run = runToEnd(command, scratch.path(), {"DISPLAY=" + display.name()});
        return run.status && *run.status == ExitStatus::withCode(0);
    };
    const auto screen = [&](const std::string& name) { // kept beside the other pictures
        const auto shot =
            fs::path(TRELVO_BINARY_DIR) / "pictures" / ("TrelvoResults-" + name + ".png");
        fs::create_directories(shot.parent_path());
        return onDisplay({"import", "-window", "root", shot.string()}) ? focusColoured(shot) : -1;
    };

    auto environment = handler.environment();
    for (std::string entry :
         {"DISPLAY=" + display.name(), "SSL_CERT_FILE=" + service.caFile(),
          "TRELVO_SERVICE_URL=" + service.baseURL(), std::string("NO_AT_BRIDGE=1"),
          std::string("GSETTINGS_BACKEND=memory"), std::string("WAYLAND_DISPLAY")}) {
        environment.push_back(entry);
    }
    ChildProgram app({TRELVO_RESULTS}, scratch.path(), environment);
    ASSERT_TRUE(app.waitForLine("AppVersionModel(version: \"9.9.9\")", 20s)) << app.errors();
    ASSERT_TRUE(onDisplay(
        {"xdotool", "search", "--sync", "--name", "Trelvo Results", "windowfocus", "--sync"}));

    EXPECT_EQ(screen("before-tab"), 0) << "a ring before the keyboard is used";
    ASSERT_TRUE(onDisplay({"xdotool", "key", "Tab"}));
    // Round a button some 190 by 22 points: half its length at least is of the exact colour,
    // however its edges fall on the pixels.
    EXPECT_TRUE(eventually([&] { return screen("focus-ring") > 190 + 22; }))
        << "no focus ring after Tab";
    for (const char* key : {"Return", "KP_Enter", "space"}) {
        ASSERT_TRUE(onDisplay({"xdotool", "key", key}));
        EXPECT_EQ(handler.nextOpened(), service.baseURL()) << key;
    }

    ASSERT_TRUE(onDisplay({"xdotool", "key", "ctrl+w"}));
    expectClean({app.waitForExit(15s), app.output(), app.errors()});
}

} // namespace
