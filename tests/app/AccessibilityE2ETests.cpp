// The application as a screen reader meets it: its window's tree read over AT-SPI by pyatspi on
// a private accessibility bus, its buttons and menu items pressed the way a reader presses them.
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
#include <clocale>
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

constexpr auto program = TRELVO_RESULTS;
const std::string ownVersion = TRELVO_VERSION;
const std::string reader = TRELVO_SOURCE_DIR "/tests/app/accessible_tree.py";
constexpr const char* python = "/usr/bin/python3"; // Debian's, where python3-pyatspi lives
constexpr const char* applicationName = "org.trelvo.Results";

struct Accessible {
    int depth = 0;
    std::string role;
    std::string name;
    std::string actions;
};

using Tree = std::vector<Accessible>;

// The reader's run, its output the tree; empty while the application is not on the bus yet.
Tree readTree(const fs::path& folder) {
    auto run = runToEnd({python, reader, applicationName, "dump"}, folder,
                        {"PYTHONIOENCODING=utf-8", "DISPLAY"});
    Tree tree;
    if (!run.status || *run.status != ExitStatus::withCode(0)) {
        return tree;
    }
    std::istringstream lines(run.output);
    for (std::string line; std::getline(lines, line);) {
        std::vector<std::string> fields;
        std::istringstream parts(line);
        for (std::string field; std::getline(parts, field, '\t');) {
            fields.push_back(field);
        }
        fields.resize(4);
        tree.push_back({std::stoi(fields[0]), fields[1], fields[2], fields[3]});
    }
    return tree;
}

const Accessible* find(const Tree& tree, const std::string& role, const std::string& name) {
    auto at = std::ranges::find_if(
        tree, [&](const Accessible& a) { return a.role == role && a.name == name; });
    return at == tree.end() ? nullptr : &*at;
}

bool press(const fs::path& folder, const std::string& name) {
    auto run = runToEnd({python, reader, applicationName, "press", name}, folder,
                        {"PYTHONIOENCODING=utf-8", "DISPLAY"});
    return run.status && *run.status == ExitStatus::withCode(0);
}

bool localeExists(const char* name) {
    locale_t probe = ::newlocale(LC_MESSAGES_MASK, name, nullptr);
    if (probe) {
        ::freelocale(probe);
    }
    return probe != nullptr;
}

// A private desktop with an accessibility bus, the service offering `version`, and the
// application in Russian on it.
class ScreenReaderSession : public testing::Test {
protected:
    void SetUp() override {
        for (const char* tool : {"Xvfb", "dbus-daemon"}) {
            g_autofree gchar* found = g_find_program_in_path(tool);
            if (!found) {
                GTEST_SKIP() << "needs " << tool;
            }
        }
        if (!localeExists("ru_RU.UTF-8")) {
            GTEST_SKIP() << "ru_RU.UTF-8 is not generated here (scripts/install-deps does it)";
        }
        auto pyatspi = runToEnd({python, "-c", "import pyatspi"}, scratch.path());
        if (!pyatspi.status || *pyatspi.status != ExitStatus::withCode(0)) {
            GTEST_SKIP() << "needs python3-pyatspi (scripts/install-deps installs it)";
        }
        ASSERT_FALSE(display.name().empty()) << "Xvfb did not start";
        accessibility.emplace(scratch.path());
        if (!accessibility->ready()) {
            GTEST_SKIP() << "needs at-spi2-core's bus launcher";
        }
    }

    void start(const std::string& offered, std::vector<std::string> extra = {}) {
        service.setLatestVersion(offered);
        auto environment = handler.environment();
        for (std::string entry :
             {"DISPLAY=" + display.name(), "SSL_CERT_FILE=" + service.caFile(),
              "TRELVO_SERVICE_URL=" + service.baseURL(), std::string("NO_AT_BRIDGE"),
              std::string("WAYLAND_DISPLAY"), std::string("GSETTINGS_BACKEND=memory"),
              std::string("LANG=ru_RU.UTF-8"), std::string("LANGUAGE=ru"), std::string("LC_ALL")}) {
            environment.push_back(entry);
        }
        environment.insert(environment.end(), extra.begin(), extra.end());
        app.emplace(std::vector<std::string>{program}, scratch.path(), environment);
        ASSERT_TRUE(app->started());
        ASSERT_TRUE(app->waitForLine("AppVersionModel(version: ", 20s)) << "no answer";
    }

    // The tree once `ready` holds for it, or the last one read.
    template <class Condition> Tree treeOnce(Condition ready) {
        Tree tree;
        eventually([&] { return ready(tree = readTree(scratch.path())); }, 30s);
        return tree;
    }

    void expectCleanExit() {
        const auto status = app->waitForExit(15s);
        expectClean({status, app->output(), app->errors()});
    }

    TemporaryDirectory scratch{"trelvo-a11y-e2e"};
    RunningDemoService service;
    PrivateSessionBus session;
    DefaultHandler handler;
    VirtualDisplay display;
    std::optional<AccessibilityBus> accessibility;
    std::optional<ChildProgram> app;
};

const std::string updateLabel = "обновить до версии ";

TEST_F(ScreenReaderSession, ReadsTheWindowAndPressesItsButtonAndMenuItems) {
    const auto gallery = scratch.path() / "gallery-bin";
    const auto galleryStarted = scratch.path() / "gallery-started";
    fs::create_directories(gallery);
    writeFile(gallery / "trelvo-widget-gallery",
              "#!/bin/sh\necho started > '" + galleryStarted.string() + "'\n");
    fs::permissions(gallery / "trelvo-widget-gallery", fs::perms::owner_all);
    start("9.9.9", {"PATH=" + gallery.string() + ":" + std::getenv("PATH")});

    auto tree =
        treeOnce([](const Tree& t) { return find(t, "push button", updateLabel + "9.9.9"); });
    struct Expected {
        const char* role;
        std::string name;
        const char* actions;
    } expected[] = {
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
        SCOPED_TRACE(e.name);
        const auto* found = find(tree, e.role, e.name);
        ASSERT_NE(found, nullptr) << "not in the tree as a " << e.role;
        EXPECT_EQ(found->actions, e.actions);
    }
    EXPECT_EQ(find(tree, "push button", updateLabel + "0"), nullptr) << "the first layout's";

    ASSERT_TRUE(press(scratch.path(), updateLabel + "9.9.9"));
    EXPECT_EQ(handler.nextOpened(), service.baseURL());

    ASSERT_TRUE(press(scratch.path(), "Добавить виджеты…"));
    EXPECT_TRUE(eventually([&] { return fs::exists(galleryStarted); })) << "the gallery on PATH";
    fs::remove(gallery / "trelvo-widget-gallery");
    ASSERT_TRUE(press(scratch.path(), "Добавить виджеты…"));
    const std::string missing =
        "Программы trelvo-widget-gallery нет ни рядом с TrelvoResults, ни в PATH.";
    tree = treeOnce([&](const Tree& t) { return find(t, "label", missing); });
    EXPECT_NE(find(tree, "label", missing), nullptr) << "a message saying what is missing";
    EXPECT_NE(find(tree, "label", "Не удаётся открыть галерею виджетов"), nullptr);
    EXPECT_NE(std::ranges::find(tree, std::string("alert"), &Accessible::role), tree.end());
    ASSERT_TRUE(press(scratch.path(), "Закрыть"));

    ASSERT_TRUE(press(scratch.path(), "О программе"));
    tree = treeOnce([](const Tree& t) { return find(t, "label", ownVersion); });
    EXPECT_NE(find(tree, "label", ownVersion), nullptr) << "the bundle's version";
    EXPECT_NE(std::ranges::find_if(tree,
                                   [&](const Accessible& a) {
                                       return a.name.find(service.baseURL()) != std::string::npos;
                                   }),
              tree.end())
        << "the service's page";

    ASSERT_TRUE(press(scratch.path(), "Выйти"));
    expectCleanExit();
}

TEST_F(ScreenReaderSession, TheButtonLeavesTheTreeWhenTheWindowHidesIt) {
    start(ownVersion);
    auto tree = treeOnce([](const Tree& t) {
        return find(t, "label", "текущая версия приложения: " + ownVersion) &&
               std::ranges::none_of(
                   t, [](const Accessible& a) { return a.name.starts_with(updateLabel); });
    });
    EXPECT_TRUE(std::ranges::none_of(tree, [](const Accessible& a) {
        return a.name.starts_with(updateLabel);
    })) << "the first layout's button is still told to readers";
    app->signal(SIGTERM);
    expectCleanExit();
}

} // namespace
