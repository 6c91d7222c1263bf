// The application as a screen reader meets it: its tree read over AT-SPI by pyatspi on a private
// accessibility bus, its button and menu items pressed the way a reader presses them.
#include "tests/support/AccessibilityBus.h"
#include "tests/support/ChildProgram.h"
#include "tests/support/DefaultHandler.h"
#include "tests/support/Eventually.h"
#include "tests/support/PrivateSessionBus.h"
#include "tests/support/TemporaryDirectory.h"
#include "tests/support/TestFiles.h"
#include "tests/support/VirtualDisplay.h"
#include "tests/support/servers/RunningDemoService.h"

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <locale.h>
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

// Runs tests/app/accessible_tree.py with Debian's python3 (where python3-pyatspi lives).
Finished reader(const fs::path& folder, std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(),
                     {"/usr/bin/python3", TRELVO_SOURCE_DIR "/tests/app/accessible_tree.py",
                      "org.trelvo.Results"});
    return runToEnd(arguments, folder, {"PYTHONIOENCODING=utf-8", "DISPLAY"});
}

// Empty while the application is not on the bus yet.
Tree readTree(const fs::path& folder) {
    auto run = reader(folder, {"dump"});
    Tree tree;
    std::istringstream lines(run.status == ExitStatus::withCode(0) ? run.output : "");
    for (std::string depth, role, name, actions; std::getline(lines, depth, '\t');) {
        std::getline(lines, role, '\t'), std::getline(lines, name, '\t');
        std::getline(lines, actions);
        tree.push_back({role, name, actions});
    }
    return tree;
}

const Accessible* find(const Tree& tree, const std::string& role, const std::string& name) {
    auto at = std::ranges::find_if(tree, [&](auto& a) { return a.role == role && a.name == name; });
    return at == tree.end() ? nullptr : &*at;
}

bool hasUpdateButton(const Tree& tree) {
    return std::ranges::any_of(tree, [](auto& a) { return a.name.starts_with(updateLabel); });
}

// A private desktop with an accessibility bus, and the application on it in Russian.
class ScreenReaderSession : public testing::Test {
protected:
    void SetUp() override {
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
        for (std::string entry :
             {"DISPLAY=" + display.name(), "SSL_CERT_FILE=" + service.caFile(),
              "TRELVO_SERVICE_URL=" + service.baseURL(), "PATH=" + path,
              std::string("NO_AT_BRIDGE"), std::string("WAYLAND_DISPLAY"),
              std::string("GSETTINGS_BACKEND=memory"), std::string("LANG=ru_RU.UTF-8"),
              std::string("LANGUAGE=ru"), std::string("LC_ALL")}) {
            environment.push_back(entry);
        }
        app.emplace(std::vector<std::string>{TRELVO_RESULTS}, scratch.path(), environment);
        ASSERT_TRUE(app->waitForLine("AppVersionModel(version: ", 20s)) << "no answer";
    }
    // The tree once `ready` holds for it, or the last one read.
    template <class Condition> Tree treeOnce(Condition ready) {
        Tree tree;
        eventually([&] { return ready(tree = readTree(scratch.path())); }, 30s);
        return tree;
    }
    bool press(const std::string& name) {
        return reader(scratch.path(), {"press", name}).status == ExitStatus::withCode(0);
    }

    TemporaryDirectory scratch{"trelvo-a11y-e2e"};
    RunningDemoService service;
    PrivateSessionBus session;
    DefaultHandler handler;
    VirtualDisplay display;
    std::optional<AccessibilityBus> accessibility;
    std::optional<ChildProgram> app;
};

TEST_F(ScreenReaderSession, ReadsTheWindowAndPressesItsButtonAndMenuItems) {
    const auto gallery = scratch.path() / "bin" / "trelvo-widget-gallery";
    fs::create_directories(gallery.parent_path());
    writeFile(gallery,
              "#!/bin/sh\ntouch '" + (scratch.path() / "gallery-started").string() + "'\n");
    fs::permissions(gallery, fs::perms::owner_all);
    start("9.9.9", gallery.parent_path().string() + ":" + std::getenv("PATH"));

    auto tree = treeOnce([](auto& t) { return find(t, "push button", updateLabel + "9.9.9"); });
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

TEST_F(ScreenReaderSession, TheButtonLeavesTheTreeWhenTheWindowHidesIt) {
    start(ownVersion);
    const std::string version = "текущая версия приложения: " + ownVersion;
    auto tree = treeOnce([&](auto& t) { return find(t, "label", version) && !hasUpdateButton(t); });
    EXPECT_FALSE(hasUpdateButton(tree)) << "the first layout's button is still told to readers";
    app->signal(SIGTERM);
    expectClean({app->waitForExit(15s), app->output(), app->errors()});
}

} // namespace
