// The widgets as a person meets them on a desktop: on X11 under a real window manager, and on a
// wlroots compositor's layer shell, both read back from the screen.

#include "tests/support/ChildProgram.h"
#include "tests/support/Eventually.h"
#include "tests/support/Picture.h"
#include "tests/support/TemporaryDirectory.h"
#include "tests/support/TestFiles.h"
#include "tests/support/VirtualDisplay.h"

#include <algorithm>
#include <array>
#include <cairo.h>
#include <csignal>
#include <cstdio>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using namespace trelvo::test;

constexpr const char* results = RESULTS_WIDGET_EXTENSION;
constexpr const char* countdown = VANTOREL_WIDGET_EXTENSION;

// Each running widget holds its place in a file of its own.
long placesHeld(const fs::path& runtime) {
    std::error_code none; // no folder yet
    fs::directory_iterator files(runtime / "trelvo" / "places", none);
    return std::count_if(begin(files), end(files), [](const fs::directory_entry& file) {
        return file.path().filename().string()[0] != '.';
    });
}

// The RGB pixels of a PNG file in the square of `size` pixels at (x, y), row by row; none when
// the file cannot be read or is too small.
using Pixels = std::vector<std::uint32_t>;
Pixels square(const fs::path& png, int x, int y, int size = 1) {
    const trelvo::test::Picture image(png);
    Pixels rgb;
    for (int i = 0; x + size <= image.width() && y + size <= image.height() && i < size * size;
         ++i) {
        rgb.push_back(image.at(x + i % size, y + i / size) & 0xffffff);
    }
    return rgb;
}

TEST(DesktopOnX11, WidgetsStackBelowTheOthersFollowADragAndComeBackThere) {
    VirtualDisplay display{1280, 800};
    if (display.name().empty()) {
        GTEST_SKIP() << "Xvfb is not available";
    }
    TemporaryDirectory home;
    const auto runtime = home.path() / "run";
    fs::create_directories(runtime);
    fs::permissions(runtime, fs::perms::owner_all);
    const std::vector<std::string> environment{"DISPLAY=" + display.name(),
                                               "XDG_RUNTIME_DIR=" + runtime.string(),
                                               "XDG_STATE_HOME=" + (home.path() / "state").string(),
                                               "TRELVO_SERVICE_URL=https://127.0.0.1:9",
                                               "LANGUAGE=en",
                                               "LANG=C.UTF-8",
                                               "WAYLAND_DISPLAY"};
    const auto x11 = [&](std::vector<std::string> args) {
        return runToEnd(args, home.path(), environment, 10s).output;
    };
    // x, y, width and height of the visible window of that title, once there is one.
    using Geometry = std::array<int, 4>;
    const auto geometryOf = [&](const std::string& title) {
        Geometry g{-1, -1, -1, -1};
        eventually([&] {
            std::sscanf(x11({"xdotool", "search", "--onlyvisible", "--name", "^" + title + "$",
                             "getwindowgeometry", "--shell"})
                            .c_str(),
                        "WINDOW=%*d X=%d Y=%d WIDTH=%d HEIGHT=%d", &g[0], &g[1], &g[2], &g[3]);
            return g[0] >= 0;
        });
        return g;
    };
    ChildProgram wm({"openbox", "--sm-disable"}, home.path(), environment);
    ASSERT_TRUE(eventually([&] {
        return x11({"xprop", "-root", "_NET_SUPPORTING_WM_CHECK"}).find("window id") !=
               std::string::npos;
    }));

    auto first = std::make_optional<ChildProgram>(std::vector<std::string>{results}, home.path(),
                                                  environment);
    ASSERT_TRUE(eventually([&] { return placesHeld(runtime) == 1; }));
    // Its snapshot: a stand-in shown in a window stacks like a timeline's entry.
    ChildProgram second({countdown, "--family", "medium", "--snapshot"}, home.path(), environment);
    ASSERT_TRUE(eventually([&] { return placesHeld(runtime) == 2; }));

    // The top-right corner, 16 points in, the second under the first.
    EXPECT_EQ(geometryOf("Trelvo Results"), (Geometry{1280 - 16 - 170, 16, 170, 170}));
    EXPECT_EQ(geometryOf("Next big event countdown"),
              (Geometry{1280 - 16 - 364, 16 + 170 + 16, 364, 170}));
    const auto state = x11({"xprop", "-name", "Trelvo Results", "_NET_WM_STATE"});
    EXPECT_NE(state.find("_NET_WM_STATE_BELOW"), std::string::npos) << state;
    EXPECT_NE(state.find("_NET_WM_STATE_SKIP_TASKBAR"), std::string::npos) << state;

    // Dragged with the primary button to the lower left, and remembered there.
    x11({"xdotool", "mousemove", "1150",  "100", "mousedown", "1",   "sleep",
         "0.2",     "mousemove", "600",   "400", "sleep",     "0.2", "mousemove",
         "100",     "650",       "sleep", "0.2", "mouseup",   "1"});
    const auto memory = home.path() / "state" / "trelvo" / "TrelvoResultsWidget.place.json";
    ASSERT_TRUE(eventually([&] { return fs::exists(memory); }));
    EXPECT_EQ(readFile(memory), R"({"monitor":"screen","corner":"bottom-left","x":44,"y":64})"
                                "\n");
    const Geometry dragged{44, 800 - 64 - 170, 170, 170};
    EXPECT_EQ(geometryOf("Trelvo Results"), dragged);

    // "Refresh now" and SIGUSR1 each ask the service again at once: one more failed fetch's line.
    const auto fetches = [&] {
        const auto text = first->output();
        return std::count(text.begin(), text.end(), '\n');
    };
    ASSERT_TRUE(eventually([&] { return fetches() == 1; }));
    x11({"xdotool", "mousemove", "120", "650", "click", "3", "sleep", "0.5", "key", "Down", "key",
         "Return"});
    EXPECT_TRUE(eventually([&] { return fetches() == 2; }));
    first->signal(SIGUSR1);
    EXPECT_TRUE(eventually([&] { return fetches() == 3; }));

    // A monitor the desktop does not have is refused, naming those it has.
    const auto elsewhere = runToEnd({results, "--monitor", "HDMI-9"}, home.path(), environment);
    EXPECT_EQ(elsewhere.status, ExitStatus::withCode(2));
    EXPECT_EQ(elsewhere.errors, "TrelvoResultsWidgetExtension: --monitor HDMI-9: no such monitor; "
                                "the desktop has screen\n");

    // Closed from its menu, it frees its place; started again, it is where the person left it.
    x11({"xdotool", "mousemove", "120", "650", "click", "3", "sleep", "0.5", "key", "Up", "key",
         "Return"});
    EXPECT_EQ(first->waitForExit(10s), ExitStatus::withCode(0)) << first->errors();
    EXPECT_EQ(placesHeld(runtime), 1);
    first.reset();
    ChildProgram again({results}, home.path(), environment);
    EXPECT_EQ(geometryOf("Trelvo Results"), dragged);
    // Closed by the window manager or by SIGTERM: either way a clean end.
    x11({"wmctrl", "-c", "Next big event countdown"});
    EXPECT_EQ(second.waitForExit(10s), ExitStatus::withCode(0)) << second.errors();
    again.signal(SIGTERM);
    EXPECT_EQ(again.waitForExit(10s), ExitStatus::withCode(0)) << again.errors();
}

// sway will not run as root: the compositor and the widgets run as nobody, in a folder of theirs.
TEST(DesktopOnWayland, LayerSurfacesStackSharpAtScaleTwoAndComeBackThere) {
    TemporaryDirectory home;
    if (::geteuid() != 0 || runToEnd({"sway", "--version"}, home.path()).output.empty()) {
        GTEST_SKIP() << "needs root (to become nobody) and sway";
    }
    const auto runtime = home.path() / "run", state = home.path() / "state";
    fs::create_directories(runtime);
    writeFile(home.path() / "sway.config",
              "output HEADLESS-1 resolution 1280x800 scale 2 bg #3060a0 solid_color\n");
    runToEnd({"chown", "-R", "nobody:nogroup", home.path().string()}, "/");
    fs::permissions(runtime, fs::perms::owner_all);
    const auto asNobody = [&](std::vector<std::string> args) {
        args.insert(args.begin(),
                    {"setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups", "env", "-i",
                     "PATH=/usr/bin:/bin", "HOME=" + home.path().string(),
                     "XDG_RUNTIME_DIR=" + runtime.string(), "XDG_STATE_HOME=" + state.string(),
                     "WAYLAND_DISPLAY=wayland-1", "WLR_BACKENDS=headless",
                     "WLR_LIBINPUT_NO_DEVICES=1", "WLR_RENDERER=pixman", "LANGUAGE=en"});
        return args;
    };
    const auto screen = home.path() / "screen.png";
    ChildProgram sway(asNobody({"sway", "-c", (home.path() / "sway.config").string()}),
                      home.path());
    ASSERT_TRUE(eventually([&] { return fs::exists(runtime / "wayland-1"); }));

    // Placeholders: the same pixels whenever drawn, on the screen and in a file.
    auto one =
        std::make_optional<ChildProgram>(asNobody({countdown, "--placeholder"}), home.path());
    ASSERT_TRUE(eventually([&] { return placesHeld(runtime) == 1; }));
    ChildProgram two(asNobody({countdown, "--placeholder", "--family", "medium"}), home.path());
    ASSERT_TRUE(eventually([&] { return placesHeld(runtime) == 2; }));
    const auto drawn = home.path() / "small.png";
    runToEnd(asNobody({countdown, "--placeholder", "--once", "--scale", "2", "--output",
                       drawn.string()}),
             home.path());
    const auto placeholder = square(drawn, 40, 40, 260);
    ASSERT_FALSE(placeholder.empty());

    // Whether the placeholder's pixels are on the screen with its top left at (x, y) points.
    const auto shownAt = [&](int x, int y) {
        runToEnd(asNobody({"grim", screen.string()}), home.path());
        return square(screen, 2 * x + 40, 2 * y + 40, 260) == placeholder;
    };
    // 640x400 points at scale 2: the small one at the top right, the medium one under it; each
    // point two pixels, as drawn for scale 2 (not a 1x picture stretched).
    ASSERT_TRUE(eventually([&] { return shownAt(1280 / 2 - 16 - 170, 16); }, 10s));
    EXPECT_EQ(square(screen, 1279, 0).size(), 1u); // 1280 pixels wide
    EXPECT_EQ(square(screen, 1280, 0), Pixels{});
    EXPECT_EQ(square(screen, 2 * 454 + 1, 2 * 16 + 1), Pixels{0x3060a0}); // a transparent corner
    EXPECT_NE(square(screen, 2 * 260 + 100, 2 * 202 + 100), Pixels{0x3060a0});
    EXPECT_EQ(square(screen, 2 * 260 + 100, 2 * (202 - 8)), Pixels{0x3060a0}); // between them

    // Layer surfaces, not windows: the compositor's window tree holds none of them.
    const auto tree = runToEnd(
        asNobody({"swaymsg", "-s", (runtime / "sway-ipc.sock").string(), "-t", "get_tree"}),
        home.path());
    EXPECT_EQ(tree.output.find("countdown"), std::string::npos);

    // Where the person left it last time, on the next start.
    one->signal(SIGTERM);
    ASSERT_TRUE(one->waitForExit(10s));
    one.reset();
    fs::create_directories(state / "trelvo");
    writeFile(state / "trelvo" / "VantorelWidget.place.json",
              R"({"monitor":"HEADLESS-1","corner":"bottom-left","x":10,"y":20})");
    runToEnd({"chown", "-R", "nobody:nogroup", state.string()}, "/");
    ChildProgram three(asNobody({countdown, "--placeholder"}), home.path());
    EXPECT_TRUE(eventually([&] { return shownAt(10, 800 / 2 - 20 - 170); }, 10s));
}

} // namespace
