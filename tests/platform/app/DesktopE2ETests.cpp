// The runtime on a desktop, through the real TrelvoResults on a private display, session bus and
// accessibility bus: driven from the keyboard alone, and read and pressed over AT-SPI (pyatspi)
// the way a screen reader does.
#include "tests/support/AccessibilityBus.h"
#include "tests/support/ChildProgram.h"
#include "tests/support/DefaultHandler.h"
#include "tests/support/Eventually.h"
#include "tests/support/Picture.h"
#include "tests/support/PrivateSessionBus.h"
#include "tests/support/TemporaryDirectory.h"
#include "tests/support/TestFiles.h"
#include "tests/support/VirtualDisplay.h"
#include "tests/support/servers/RunningDemoService.h"

#include <algorithm>
#include <cairo.h>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <gio/gio.h>
#include <gtest/gtest.h>
#include <locale.h>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using namespace trelvo::test;

const std::string ownVersion = TRELVO_VERSION;
const std::string updateLabel = "обновить до версии ";

struct Accessible {
    std::string role, name, actions;
};
using Tree = std::vector<Accessible>;

// Runs accessible_tree.py with Debian's python3 (where python3-pyatspi lives).
Finished reader(const fs::path& folder, std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), {"/usr/bin/python3",
                                         TRELVO_SOURCE_DIR "/tests/platform/app/accessible_tree.py",
                                         "org.trelvo.Results"});
    return runToEnd(arguments, folder, {"PYTHONIOENCODING=utf-8", "DISPLAY"});
}

const Accessible* find(const Tree& tree, const std::string& role, const std::string& name) {
    auto at = std::ranges::find_if(tree, [&](auto& a) { return a.role == role && a.name == name; });
    return at == tree.end() ? nullptr : &*at;
}

// A private desktop with an accessibility bus, and the application on it in Russian.
class Desktop : public testing::Test {
protected:
    void SetUp() override {
        for (const char* tool : {"Xvfb", "xdotool", "import", "dbus-daemon"}) {
            if (g_autofree gchar* found = g_find_program_in_path(tool); !found) {
                GTEST_SKIP() << "needs " << tool;
            }
        }
        if (locale_t ru = ::newlocale(LC_MESSAGES_MASK, "ru_RU.UTF-8", nullptr)) {
            ::freelocale(ru);
        } else {
            GTEST_SKIP() << "ru_RU.UTF-8 is not generated here (scripts/install-deps does it)";
        }
        if (reader(scratch.path(), {}).status != ExitStatus::withCode(2)) {
            GTEST_SKIP() << "needs python3-pyatspi (scripts/install-deps installs it)";
        }
        ASSERT_FALSE(display.name().empty()) << "Xvfb did not start";
        accessibility.emplace(scratch.path());
        if (!accessibility->ready()) {
            GTEST_SKIP() << "needs at-spi2-core's bus launcher";
        }
    }

    void start(const std::string& offered, const std::string& path = std::getenv("PATH")) {
        service.setLatestVersion(offered);
        auto environment = handler.environment();
        environment.insert(environment.end(),
                           {"DISPLAY=" + display.name(), "SSL_CERT_FILE=" + service.caFile(),
                            "TRELVO_SERVICE_URL=" + service.baseURL(), "PATH=" + path,
                            "NO_AT_BRIDGE", "WAYLAND_DISPLAY", "GSETTINGS_BACKEND=memory",
                            "LANG=ru_RU.UTF-8", "LANGUAGE=ru", "LC_ALL"});
        app.emplace(std::vector<std::string>{TRELVO_RESULTS}, scratch.path(), environment);
        ASSERT_TRUE(app->waitForLine("AppVersionModel(version: ", 20s)) << "no answer";
        ASSERT_TRUE(
            xdotool({"search", "--sync", "--name", "Trelvo Results", "windowfocus", "--sync"}));
    }
    // The tree once `ready` holds for it, or the last one read; empty while the application is
    // not on the bus yet.
    template <class Condition> Tree treeOnce(Condition ready) {
        Tree tree;
        eventually(
            [&] {
                auto run = reader(scratch.path(), {"dump"});
                std::istringstream lines(run.status == ExitStatus::withCode(0) ? run.output : "");
                tree.clear();
                for (std::string depth, role, name, actions; std::getline(lines, depth, '\t');) {
                    std::getline(lines, role, '\t'), std::getline(lines, name, '\t');
                    std::getline(lines, actions);
                    tree.push_back({role, name, actions});
                }
                return ready(tree);
            },
            30s);
        return tree;
    }
    bool press(const std::string& name) {
        return reader(scratch.path(), {"press", name}).status == ExitStatus::withCode(0);
    }
    bool xdotool(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), "xdotool");
        auto run = runToEnd(arguments, scratch.path(), {"DISPLAY=" + display.name()});
        return run.status == ExitStatus::withCode(0);
    }
    // Pixels of the focus colour (#007AFF, opaque) on the screen, kept beside the other pictures.
    int ringPixels(const std::string& name) {
        const auto shot =
            fs::path(TRELVO_BINARY_DIR) / "pictures" / ("TrelvoResults-" + name + ".png");
        fs::create_directories(shot.parent_path());
        runToEnd({"import", "-window", "root", shot.string()}, scratch.path(),
                 {"DISPLAY=" + display.name()});
        const Picture screen(shot);
        return screen.read()
                   ? screen.find([](std::uint32_t p) { return (p & 0xFFFFFF) == 0x007AFF; }).count
                   : -1;
    }

    TemporaryDirectory scratch{"trelvo-desktop-e2e"};
    RunningDemoService service;
    PrivateSessionBus session;
    DefaultHandler handler;
    VirtualDisplay display;
    std::optional<AccessibilityBus> accessibility;
    std::optional<ChildProgram> app;
};

TEST_F(Desktop, TabRingsTheButtonKeysAndReadersPressItAndTheMenuItemsReadersSeeTheWindow) {
    const auto gallery = scratch.path() / "bin" / "trelvo-widget-gallery";
    fs::create_directories(gallery.parent_path());
    writeFile(gallery,
              "#!/bin/sh\ntouch '" + (scratch.path() / "gallery-started").string() + "'\n");
    fs::permissions(gallery, fs::perms::owner_all);
    start("9.9.9", gallery.parent_path().string() + ":" + std::getenv("PATH"));
    auto tree = treeOnce([](auto& t) { return find(t, "push button", updateLabel + "9.9.9"); });

    EXPECT_EQ(ringPixels("before-tab"), 0) << "a ring before the keyboard is used";
    ASSERT_TRUE(xdotool({"key", "Tab"}));
    // Round a button some 190 by 22 points: half its length at least is of the exact colour,
    // however its edges fall on the pixels.
    EXPECT_TRUE(eventually([&] { return ringPixels("focus-ring") > 190 + 22; }))
        << "no focus ring after Tab";
    for (const char* name : {"Return", "KP_Enter", "space"}) {
        ASSERT_TRUE(xdotool({"key", name}));
        EXPECT_EQ(handler.nextOpened(), service.baseURL()) << name;
    }

    const Accessible expected[] = {
        {"frame", "Trelvo Results", ""},
        {"image", "trelvo", ""},
        {"label", "Made by Dovrel for Trelvo", ""},
        {"label", "Добавьте виджет на рабочий стол, чтобы видеть результаты", ""},
        {"label", "текущая версия приложения: " + ownVersion, ""},
        {"push button", updateLabel + "9.9.9", "click"},
        {"toggle button", "Главное меню", "click"},
        {"push button", "Добавить виджеты…", "click"},
        {"push button", "О программе", "click"},
        {"push button", "Выйти", "click"},
    };
    for (const auto& e : expected) {
        const auto* found = find(tree, e.role, e.name);
        ASSERT_NE(found, nullptr) << e.name << " is not in the tree as a " << e.role;
        EXPECT_EQ(found->actions, e.actions) << e.name;
    }
    EXPECT_EQ(find(tree, "push button", updateLabel + "0"), nullptr) << "the first layout's";

    ASSERT_TRUE(press(updateLabel + "9.9.9"));
    EXPECT_EQ(handler.nextOpened(), service.baseURL());

    ASSERT_TRUE(press("Добавить виджеты…"));
    EXPECT_TRUE(eventually([&] { return fs::exists(scratch.path() / "gallery-started"); }));
    fs::remove(gallery);
    ASSERT_TRUE(press("Добавить виджеты…"));
    const std::string missing = "Программы trelvo-widget-gallery нет ни рядом с TrelvoResults, "
                                "ни в PATH.";
    tree = treeOnce([&](auto& t) { return find(t, "label", missing); });
    EXPECT_NE(find(tree, "label", missing), nullptr) << "no message saying what is missing";
    EXPECT_TRUE(press("Закрыть"));

    ASSERT_TRUE(press("О программе"));
    tree = treeOnce([&](auto& t) { return find(t, "label", service.baseURL()); });
    EXPECT_NE(find(tree, "label", ownVersion), nullptr) << "the About window's version";
    EXPECT_NE(find(tree, "label", service.baseURL()), nullptr) << "the About window's page";

    ASSERT_TRUE(press("Выйти"));
    expectClean({app->waitForExit(15s), app->output(), app->errors()});
}

TEST_F(Desktop, TheButtonLeavesTheTreeWhenTheWindowHidesItAndCtrlWCloses) {
    start(ownVersion);
    const auto hasButton = [](const Tree& t) {
        return std::ranges::any_of(t, [](auto& a) { return a.name.starts_with(updateLabel); });
    };
    const std::string version = "текущая версия приложения: " + ownVersion;
    auto tree = treeOnce([&](auto& t) { return find(t, "label", version) && !hasButton(t); });
    EXPECT_FALSE(hasButton(tree)) << "the first layout's button is still told to readers";
    ASSERT_TRUE(xdotool({"key", "ctrl+w"}));
    expectClean({app->waitForExit(15s), app->output(), app->errors()});
}

} // namespace
