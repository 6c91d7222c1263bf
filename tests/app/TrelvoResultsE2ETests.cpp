// The built program: its window in Xvfb clicked for real on a private desktop; drawn without one.
#include "tests/support/CapturingNotificationServer.h"
#include "tests/support/ChildProgram.h"
#include "tests/support/DefaultHandler.h"
#include "tests/support/Picture.h"
#include "tests/support/PrivateSessionBus.h"
#include "tests/support/VirtualDisplay.h"
#include "tests/support/servers/RunningDemoService.h"

#include <cairo.h>
#include <csignal>
#include <gtest/gtest.h>

namespace {

using namespace trelvo::test;
using namespace std::chrono_literals;
constexpr auto program = TRELVO_RESULTS;

std::string answerLine(const std::string& version) {
    return "AppVersionModel(version: \"" + version + "\")";
}

// The centre of the button's red (#FF3B30) label, antialiased on white; the logo has more green.
std::optional<std::pair<int, int>> redLabel(const std::filesystem::path& png) {
    const auto label = trelvo::test::Picture(png).find([](std::uint32_t p) {
        const int a = p >> 24, r = p >> 16 & 0xFF, g = p >> 8 & 0xFF;
        return a > 200 && r > 230 && g < 150 && std::abs(g - int(p & 0xFF)) < 30;
    });
    return label.count > 20
               ? std::optional(std::pair(label.x + label.width / 2, label.y + label.height / 2))
               : std::nullopt;
}

TEST(TrelvoResults, AnOfferedVersionIsARedButtonOpeningTheServiceAndOneNotification) {
    const std::string offered = "https://elsewhere.example/download"; // never the page opened
    RunningDemoService service;
    service.setLatestVersion(offered);
    PrivateSessionBus bus;
    CapturingNotificationServer notifications;
    DefaultHandler handler;
    VirtualDisplay display;
    TemporaryDirectory scratch;
    const auto screen = "DISPLAY=" + display.name(), shot = (scratch.path() / "s.png").string();
    auto environment = handler.environment();
    environment.insert(environment.end(),
                       {screen, "WAYLAND_DISPLAY", "NO_AT_BRIDGE=1", "GSETTINGS_BACKEND=memory",
                        "SSL_CERT_FILE=" + service.caFile(),
                        "TRELVO_SERVICE_URL=" + service.baseURL()});
    ChildProgram app({program}, scratch.path(), environment);

    ASSERT_TRUE(app.waitForLine(answerLine(offered), 20s)) << app.errors();
    std::optional<std::pair<int, int>> button;
    for (int tries = 0; !button && tries < 100; ++tries) { // until the window is drawn
        expectClean(runToEnd({"import", "-window", "root", shot}, scratch.path(), {screen}));
        button = redLabel(shot);
    }
    ASSERT_TRUE(button) << "no red label on the screen";
    expectClean(runToEnd({"xdotool", "mousemove", std::to_string(button->first),
                          std::to_string(button->second), "click", "1"},
                         scratch.path(), {screen}));

    EXPECT_EQ(handler.nextOpened(), service.baseURL());
    const auto shown = notifications.notification(0); // five real seconds after the answer
    ASSERT_TRUE(shown) << "the offered version was not announced";
    EXPECT_EQ(shown->summary + " " + shown->body,
              "Новая версия! Для скачивания доступна новая версия " + offered);
    app.signal(SIGTERM);
    expectClean({app.waitForExit(10s), app.output(), app.errors()});
    EXPECT_EQ(app.output(), answerLine(offered) + "\n") << "permission granted silently";
    EXPECT_EQ(notifications.count(), 1u) << "announced once a run";
    EXPECT_EQ(service.requests().size(), 1u) << "one check per window; a click fetches nothing";
}

TEST(TrelvoResults, RenderDrawsTheWindowForEachAnswerWithoutADisplayOrBus) {
    RunningDemoService service;
    const std::string declined = "User has declined notifications\n";
    struct Case {
        const char* name;
        std::string origin, served, output;
        bool button;
    };
    const Case cases[] = {
        {"before-answer", "https://127.0.0.1:1", "",
         declined + "Error: Optional(Error Domain=NSURLErrorDomain Code=-1004 \"Could not connect "
                    "to the server.\" UserInfo={NSErrorFailingURLStringKey=https://127.0.0.1:1/api/"
                    "v1/appLatestVersion, NSLocalizedDescription=Could not connect to the "
                    "server.})\n",
         true},
        {"newer-answer", service.baseURL(), "9.9.9",
         declined + answerLine("9.9.9") +
             "\nError The session bus is not available: Could not connect: No such file or "
             "directory\n",
         true},
        {"same-version", service.baseURL(), TRELVO_VERSION,
         declined + answerLine(TRELVO_VERSION) + "\n", false},
    };
    TemporaryDirectory scratch;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        service.setLatestVersion(c.served);
        const auto picture = scratch.path() / (std::string(c.name) + "@2x.png");
        const auto run = runToEnd(
            {program, "--render", picture, "--scale", "2", "--timeout", "1"}, scratch.path(),
            {"DISPLAY", "DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent/trelvo-test-bus",
             "SSL_CERT_FILE=" + service.caFile(), "TRELVO_SERVICE_URL=" + c.origin});
        expectClean(run);
        EXPECT_EQ(run.output, c.output);
        EXPECT_TRUE(std::filesystem::exists(picture));
        EXPECT_EQ(redLabel(picture).has_value(), c.button);
    }
}

} // namespace
