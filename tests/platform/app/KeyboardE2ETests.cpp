// The runtime's window driven from the keyboard alone, on a private X server: a tiny application
// whose only content is a button that prints "clicked".
#include "tests/support/ChildProgram.h"
#include "tests/support/Eventually.h"
#include "tests/support/TemporaryDirectory.h"
#include "tests/support/VirtualDisplay.h"

#include <algorithm>
#include <gio/gio.h>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using namespace std::chrono_literals;
using namespace trelvo::test;

long clicks(const ChildProgram& app) {
    const auto output = app.output();
    long count = 0;
    for (std::size_t at = 0; (at = output.find("clicked\n", at)) != std::string::npos; ++at) {
        ++count;
    }
    return count;
}

TEST(AppWindowKeyboard, TabFocusesTheButtonReturnEnterAndSpacePressItCtrlWCloses) {
    for (const char* tool : {"Xvfb", "xdotool"}) {
        g_autofree gchar* found = g_find_program_in_path(tool);
        if (!found) {
            GTEST_SKIP() << "needs " << tool;
        }
    }
    VirtualDisplay display;
    ASSERT_FALSE(display.name().empty()) << "Xvfb did not start";
    TemporaryDirectory scratch("tiny-app-keyboard");
    ChildProgram app({TINY_APP}, scratch.path(),
                     {"DISPLAY=" + display.name(), "WAYLAND_DISPLAY", "TINY_APP_BUTTON=1",
                      "TINY_APP_STILL=1", "NO_AT_BRIDGE=1", "GSETTINGS_BACKEND=memory"});
    ASSERT_TRUE(app.waitForLine("appeared", 20s));
    const auto keys = [&](std::vector<std::string> command) {
        command.insert(command.begin(), "xdotool");
        auto run = runToEnd(command, scratch.path(), {"DISPLAY=" + display.name()});
        return run.status && *run.status == ExitStatus::withCode(0);
    };
    ASSERT_TRUE(keys({"search", "--sync", "--name", "Trelvo Results", "windowfocus", "--sync"}));

    struct Step {
        std::vector<std::string> keys;
        long clicks; // in all, once the keys are handled
    } steps[] = {
        {{"Return", "Tab", "space"}, 1}, // Return before any Tab presses nothing
        {{"Return"}, 2},
        {{"KP_Enter"}, 3},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.keys.front());
        std::vector<std::string> command{"key"};
        command.insert(command.end(), step.keys.begin(), step.keys.end());
        ASSERT_TRUE(keys(command));
        EXPECT_TRUE(eventually([&] { return clicks(app) >= step.clicks; }, 10s));
        EXPECT_EQ(clicks(app), step.clicks);
    }

    ASSERT_TRUE(keys({"key", "ctrl+w"}));
    const auto status = app.waitForExit(15s);
    expectClean({status, app.output(), app.errors()});
    EXPECT_EQ(clicks(app), 3);
}

} // namespace
