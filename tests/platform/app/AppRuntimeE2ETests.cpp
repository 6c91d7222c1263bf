// The runtime end to end, with the tiny application: headless first, then on a private display.

#include "tests/support/ChildProgram.h"
#include "tests/support/Picture.h"
#include "tests/support/TemporaryDirectory.h"
#include "tests/support/VirtualDisplay.h"

#include <array>
#include <cairo.h>
#include <csignal>
#include <cstring>
#include <gtest/gtest.h>
#include <memory>

namespace {

using namespace std::chrono_literals;
using namespace trelvo::test;

// A picture as compared here: its size in pixels and its centre pixel (ARGB).
std::string picture(const std::filesystem::path& png) {
    const Picture image(png);
    char text[64] = "no picture";
    if (image.read()) {
        std::snprintf(text, sizeof text, "%dx%d %08x", image.width(), image.height(),
                      image.at(image.width() / 2, image.height() / 2));
    }
    return text;
}

// Where the lamp (pure system blue) is on the screen: the window draws its content under its
// header bar, wherever the two put it.
Picture::Found lampOnScreen(const std::filesystem::path& folder,
                            const std::vector<std::string>& screen) {
    const auto shot = folder / "screen.png";
    runToEnd({"import", "-window", "root", shot.string()}, folder, screen);
    return Picture(shot).find([](std::uint32_t p) { return (p & 0xFFFFFF) == 0x007AFF; });
}

TEST(TinyApp, DrawsItsWindowWithoutADisplayAndAnswersItsCommandLine) {
    TemporaryDirectory folder;
    const auto lamp = (folder.path() / "lamp.png").string();
    const auto still = (folder.path() / "still.png").string();
    const std::string noDisplay =
        "tiny_app: cannot open the display (is DISPLAY or "
        "WAYLAND_DISPLAY set?); --render PATH draws the window without one\n";
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string out, err; // the start of each
        bool still = false;   // the lamp is not lit on appearing
    } cases[] = {
        // A long time-out: only the first change can end this run early.
        {{"--render", lamp, "--scale", "2", "--timeout", "60"}, 0, "", ""},
        {{"--render", still, "--timeout", "0"}, 0, "", "", true},
        {{"--version"}, 0, EXPECTED_VERSION "\n", ""},
        {{"--help"}, 0, "Usage: tiny_app [OPTION]...\n", ""},
        {{"--frobnicate"},
         2,
         "",
         "tiny_app: unknown argument: --frobnicate\nTry 'tiny_app --help' for more information.\n"},
        {{"--render", "/nonexistent/x.png", "--timeout", "0"},
         1,
         "",
         "tiny_app: cannot draw /nonexistent/x.png: "},
        {{}, 1, "", noDisplay},
    };
    for (auto c : cases) {
        SCOPED_TRACE(c.args.empty() ? "no arguments" : c.args.front());
        c.args.insert(c.args.begin(), TINY_APP);
        auto run = runToEnd(
            c.args, folder.path(),
            {"DISPLAY", "WAYLAND_DISPLAY", c.still ? "TINY_APP_STILL=1" : "TINY_APP_STILL"});
        expectClean(run, ExitStatus::withCode(c.status));
        EXPECT_TRUE(run.output.starts_with(c.out)) << run.output;
        EXPECT_TRUE(run.errors.starts_with(c.err)) << run.errors;
    }
    // Drawn at the window's ideal size, 40 × 30 points: lit red after the change, else blue.
    EXPECT_EQ(picture(lamp), "80x60 ffff3b30");
    EXPECT_EQ(picture(still), "40x30 ff007aff");
}

TEST(TinyApp, OpensAWindowTheSizeOfItsContentWhereARealClickReachesTheButton) {
    VirtualDisplay display(640, 480);
    ASSERT_FALSE(display.name().empty()) << "Xvfb did not start";
    TemporaryDirectory folder;
    const std::vector<std::string> screen{"DISPLAY=" + display.name(), "WAYLAND_DISPLAY"};
    auto env = screen;
    env.insert(env.end(), {"TINY_APP_BUTTON=1", "TINY_APP_STILL=1", "NO_AT_BRIDGE=1",
                           "GSETTINGS_BACKEND=memory"});
    ChildProgram app({TINY_APP}, folder.path(), env);
    ASSERT_TRUE(app.waitForLine("appeared", 20s)) << app.errors(); // on screen, actions run

    // The lamp at its ideal size, 40 × 30, in the button under the header bar; clicked there.
    const auto lamp = lampOnScreen(folder.path(), screen);
    EXPECT_EQ(lamp.width, 40);
    EXPECT_EQ(lamp.height, 30);
    expectClean(runToEnd({"xdotool", "mousemove", std::to_string(lamp.x + 20),
                          std::to_string(lamp.y + 15), "click", "1"},
                         folder.path(), screen));
    EXPECT_TRUE(app.waitForLine("clicked", 20s));

    app.signal(SIGTERM);
    expectClean(app.finish(10s));
}

} // namespace
