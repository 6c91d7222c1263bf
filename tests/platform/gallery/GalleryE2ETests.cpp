// The gallery as a person's session uses it: the suite's widgets found by their desktop entries,
// one added to the desktop (running, and started at login) and removed again (both gone).

#include "tests/support/ChildProgram.h"
#include "tests/support/Eventually.h"
#include "tests/support/TemporaryDirectory.h"
#include "tests/support/TestFiles.h"
#include "tests/support/VirtualDisplay.h"

#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using trelvo::test::ExitStatus;
using trelvo::test::expectClean;
using trelvo::test::readFile;
using trelvo::test::runToEnd;

TEST(Gallery, AddsAWidgetToTheDesktopAndRemovesIt) {
    trelvo::test::VirtualDisplay display;
    if (display.name().empty()) {
        GTEST_SKIP() << "Xvfb is not available";
    }
    trelvo::test::TemporaryDirectory home;
    const auto share = home.path() / "share" / "applications";
    const auto runtime = home.path() / "run";
    fs::create_directories(share);
    fs::create_directories(runtime);
    fs::permissions(runtime, fs::perms::owner_all);
    for (const char* entry : {"ResultsWidget", "CountdownWidget"}) {
        const auto name = std::string("org.trelvo.Results.") + entry + ".desktop";
        fs::copy(fs::path(TRELVO_BINARY_DIR) / "packaging" / name, share / name);
    }
    // Neither is a widget the gallery can offer: one names no program that exists, one is
    // not marked.
    trelvo::test::writeFile(share / "gone.desktop", "[Desktop Entry]\nType=Application\nName=Gone\n"
                                                    "Exec=no-such-widget\nX-Trelvo-Widget=Gone\n");
    trelvo::test::writeFile(share / "other.desktop",
                            "[Desktop Entry]\nType=Application\nName=Other\nExec=true\n");
    const std::vector<std::string> session{
        "DISPLAY=" + display.name(),
        "WAYLAND_DISPLAY",
        "XDG_DATA_DIRS=" + share.parent_path().string() + ":/usr/share",
        "XDG_DATA_HOME=" + (home.path() / "data").string(),
        "XDG_CONFIG_HOME=" + (home.path() / "config").string(),
        "XDG_RUNTIME_DIR=" + runtime.string(),
        "XDG_STATE_HOME=" + (home.path() / "state").string(),
        "PATH=" + fs::path(RESULTS_WIDGET_EXTENSION).parent_path().string() + ":" +
            fs::path(VANTOREL_WIDGET_EXTENSION).parent_path().string() + ":/usr/bin:/bin",
        "TRELVO_SERVICE_URL=https://127.0.0.1:9",
        "LANGUAGE=en",
        "LANG=C.UTF-8",
        "NO_AT_BRIDGE=1"};
    auto gallery = [&](std::vector<std::string> args) {
        args.insert(args.begin(), TRELVO_WIDGET_GALLERY);
        return runToEnd(args, home.path(), session);
    };
    // A widget on the desktop holds a record of its place there (beside the records' lock).
    const auto running = [&] {
        std::error_code missing;
        for (const auto& record : fs::directory_iterator(runtime / "trelvo" / "places", missing)) {
            if (record.path().filename().string()[0] != '.') {
                return true;
            }
        }
        return false;
    };
    const auto listed = [&](const char* countdown) {
        return std::string("VantorelWidget\tsmall,medium\t") + countdown +
               "\tNext big event countdown\nTrelvoResultsWidget\tsmall\toff\tTrelvo Results\n";
    };

    auto list = gallery({"--list"});
    expectClean(list);
    EXPECT_EQ(list.output, listed("off"));

    expectClean(gallery({"--add", "VantorelWidget", "--family", "medium"}));
    const auto entry =
        home.path() / "config" / "autostart" / "org.trelvo.Results.CountdownWidget.desktop";
    EXPECT_NE(readFile(entry).find("\nExec=" + std::string(VANTOREL_WIDGET_EXTENSION) +
                                   " --family medium\n"),
              std::string::npos)
        << readFile(entry);
    // Running: it holds its place on the desktop.
    ASSERT_TRUE(trelvo::test::eventually(running));
    EXPECT_EQ(gallery({"--list"}).output, listed("on"));

    expectClean(gallery({"--remove", "VantorelWidget"}));
    EXPECT_FALSE(fs::exists(entry));
    EXPECT_TRUE(trelvo::test::eventually([&] { return !running(); }));
    EXPECT_EQ(gallery({"--list"}).output, listed("off"));

    struct Refused {
        std::vector<std::string> args;
        std::string message;
    } refusals[] = {
        {{"--add", "Gone"}, "trelvo-widget-gallery: no installed widget of kind Gone\n"},
        {{"--add", "TrelvoResultsWidget", "--family", "large"},
         "trelvo-widget-gallery: --family large: TrelvoResultsWidget does not come in it\n"},
        {{"--remove"}, "trelvo-widget-gallery: --remove needs a value\n"},
    };
    for (const auto& refusal : refusals) {
        auto run = gallery(refusal.args);
        expectClean(run, ExitStatus::withCode(2));
        EXPECT_EQ(run.errors, refusal.message);
    }
    EXPECT_FALSE(fs::exists(home.path() / "config" / "autostart" /
                            "org.trelvo.Results.ResultsWidget.desktop"));

    // The window, from the keyboard: the first widget's button has the focus; Return adds the
    // countdown, Return again removes it, Ctrl+Q closes the gallery.
    trelvo::test::ChildProgram window({TRELVO_WIDGET_GALLERY}, home.path(), session);
    auto key = [&](const char* keys) {
        return runToEnd({"xdotool", "search", "--sync", "--name", "^Widgets$", "windowfocus",
                         "--sync", "key", "--delay", "100", keys},
                        home.path(), session);
    };
    key("Return");
    EXPECT_TRUE(trelvo::test::eventually(running));
    EXPECT_TRUE(fs::exists(entry));
    key("Return");
    EXPECT_TRUE(trelvo::test::eventually([&] { return !running(); }));
    EXPECT_FALSE(fs::exists(entry));
    key("ctrl+q");
    expectClean(window.finish(10s));
}

} // namespace
