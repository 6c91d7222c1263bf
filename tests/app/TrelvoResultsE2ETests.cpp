#include "tests/support/DefaultHandler.h"
#include "tests/support/VirtualDisplay.h"
#include "tests/support/CapturingNotificationServer.h"
#include "tests/support/PrivateSessionBus.h"
#include "tests/support/servers/RunningDemoService.h"
#include "tests/support/TemporaryDirectory.h"

#include <cairo.h>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <gio/gio.h>
#include <gio/gunixinputstream.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <poll.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using trelvo::test::CapturingNotificationServer;
using trelvo::test::NotificationServerOptions;
using trelvo::test::PrivateSessionBus;
using trelvo::test::DefaultHandler;
using trelvo::test::RunningDemoService;
using trelvo::test::TemporaryDirectory;
using trelvo::test::VirtualDisplay;

constexpr auto program = TRELVO_RESULTS;
const std::string ownVersion = TRELVO_VERSION;

std::optional<std::string> which(const char* name) {
    g_autofree gchar* path = g_find_program_in_path(name);
    return path ? std::optional<std::string>(path) : std::nullopt;
}

// The application started with some environment, its standard output read line by line.
class Child {
public:
    Child(const std::vector<std::string>& arguments, const std::vector<std::string>& environment) {
        g_autoptr(GSubprocessLauncher) launcher =
            g_subprocess_launcher_new(G_SUBPROCESS_FLAGS_STDOUT_PIPE);
        g_subprocess_launcher_unsetenv(launcher, "WAYLAND_DISPLAY");
        g_subprocess_launcher_setenv(launcher, "NO_AT_BRIDGE", "1", TRUE);
        g_subprocess_launcher_setenv(launcher, "GSETTINGS_BACKEND", "memory", TRUE);
        for (const auto& entry : environment) {
            auto equals = entry.find('=');
            g_subprocess_launcher_setenv(launcher, entry.substr(0, equals).c_str(),
                                         entry.substr(equals + 1).c_str(), TRUE);
        }
        std::vector<const char*> argv{program};
        for (const auto& argument : arguments) {
            argv.push_back(argument.c_str());
        }
        argv.push_back(nullptr);
        process_ = g_subprocess_launcher_spawnv(launcher, argv.data(), nullptr);
    }
    ~Child() {
        if (process_) {
            if (!exited_) {
                g_subprocess_force_exit(process_);
                g_subprocess_wait(process_, nullptr, nullptr);
            }
            g_object_unref(process_);
        }
    }

    bool started() const { return process_ != nullptr; }

    // The next line printed, or nothing within the bound or once the output has ended.
    std::optional<std::string> nextLine(std::chrono::milliseconds limit = 20s) {
        int fd =
            g_unix_input_stream_get_fd(G_UNIX_INPUT_STREAM(g_subprocess_get_stdout_pipe(process_)));
        const auto deadline = std::chrono::steady_clock::now() + limit;
        for (;;) {
            if (auto end = pending_.find('\n'); end != std::string::npos) {
                auto line = pending_.substr(0, end);
                pending_.erase(0, end + 1);
                lines_.push_back(line);
                return line;
            }
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            pollfd ready{fd, POLLIN, 0};
            if (left.count() <= 0 || poll(&ready, 1, static_cast<int>(left.count())) <= 0) {
                return std::nullopt;
            }
            char buffer[512];
            auto got = ::read(fd, buffer, sizeof buffer);
            if (got <= 0) {
                return std::nullopt;
            }
            pending_.append(buffer, static_cast<std::size_t>(got));
        }
    }

    // Reads lines until one equals `line`; false when the output ends or the bound passes.
    bool waitForLine(const std::string& line) {
        while (auto next = nextLine()) {
            if (*next == line) {
                return true;
            }
        }
        return false;
    }

    const std::vector<std::string>& lines() const { return lines_; }

    // The exit status after SIGTERM (or on its own), -1 when killed by a signal.
    int terminate() {
        g_subprocess_send_signal(process_, SIGTERM);
        return wait();
    }
    int wait() {
        g_subprocess_wait(process_, nullptr, nullptr);
        exited_ = true;
        while (nextLine(1s)) {
        }
        return g_subprocess_get_if_exited(process_) ? g_subprocess_get_exit_status(process_) : -1;
    }

private:
    GSubprocess* process_ = nullptr;
    bool exited_ = false;
    std::string pending_;
    std::vector<std::string> lines_;
};

int run(const std::vector<std::string>& command, const std::string& display) {
    g_autoptr(GSubprocessLauncher) launcher =
        g_subprocess_launcher_new(static_cast<GSubprocessFlags>(G_SUBPROCESS_FLAGS_STDOUT_SILENCE |
                                                                G_SUBPROCESS_FLAGS_STDERR_SILENCE));
    g_subprocess_launcher_setenv(launcher, "DISPLAY", display.c_str(), TRUE);
    std::vector<const char*> argv;
    for (const auto& part : command) {
        argv.push_back(part.c_str());
    }
    argv.push_back(nullptr);
    g_autoptr(GSubprocess) process = g_subprocess_launcher_spawnv(launcher, argv.data(), nullptr);
    if (!process || !g_subprocess_wait(process, nullptr, nullptr)) {
        return -1;
    }
    return g_subprocess_get_if_exited(process) ? g_subprocess_get_exit_status(process) : -1;
}

struct SurfaceDeleter {
    void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
using Surface = std::unique_ptr<cairo_surface_t, SurfaceDeleter>;

Surface loadPNG(const fs::path& file) {
    Surface image(cairo_image_surface_create_from_png(file.c_str()));
    if (cairo_surface_status(image.get()) != CAIRO_STATUS_SUCCESS) {
        return nullptr;
    }
    return image;
}

struct Box {
    int minX = 1 << 30, minY = 1 << 30, maxX = -1, maxY = -1;
    int count = 0;
    int centerX() const { return (minX + maxX) / 2; }
    int centerY() const { return (minY + maxY) / 2; }
};

// Where the update button's red label is drawn: the toolkit's red (#FF3B30), antialiased on
// the white bezel, so green and blue rise together (the logo's orange has far more green).
Box redPixels(cairo_surface_t* image) {
    Box box;
    cairo_surface_flush(image);
    const int width = cairo_image_surface_get_width(image);
    const int height = cairo_image_surface_get_height(image);
    const int stride = cairo_image_surface_get_stride(image);
    const auto* data = cairo_image_surface_get_data(image);
    for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(data + y * stride);
        for (int x = 0; x < width; ++x) {
            const std::uint32_t v = row[x];
            const int a = v >> 24, r = (v >> 16) & 0xFF, g = (v >> 8) & 0xFF, b = v & 0xFF;
            if (a > 200 && r > 230 && g < 150 && std::abs(g - b) < 30) {
                box.minX = std::min(box.minX, x), box.maxX = std::max(box.maxX, x);
                box.minY = std::min(box.minY, y), box.maxY = std::max(box.maxY, y);
                ++box.count;
            }
        }
    }
    return box;
}

// The screen until the red label shows on it, or nothing within the bound.
std::optional<Box> findButtonOnScreen(const std::string& display, const fs::path& shot) {
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    while (std::chrono::steady_clock::now() < deadline) {
        if (run({"import", "-window", "root", shot.string()}, display) != 0) {
            return std::nullopt;
        }
        if (auto image = loadPNG(shot)) {
            if (auto box = redPixels(image.get()); box.count > 20) {
                return box;
            }
        }
    }
    return std::nullopt;
}

std::string answerLine(const std::string& version) {
    return "AppVersionModel(version: \"" + version + "\")";
}

TEST(TrelvoResultsApp, ARealClickOnTheUpdateButtonOpensTheServicePageAndTheUpdateIsAnnounced) {
    for (auto tool : {"Xvfb", "xdotool", "import", "dbus-daemon"}) {
        if (!which(tool)) {
            GTEST_SKIP() << "needs " << tool;
        }
    }
    RunningDemoService service;
    service.setLatestVersion("9.9.9");
    PrivateSessionBus bus;
    CapturingNotificationServer notifications;
    DefaultHandler handler;
    VirtualDisplay display;
    ASSERT_FALSE(display.name().empty()) << "Xvfb did not start";
    TemporaryDirectory scratch("trelvo-app-e2e");

    auto environment = handler.environment();
    environment.push_back("DISPLAY=" + display.name());
    environment.push_back("SSL_CERT_FILE=" + service.caFile());
    environment.push_back("TRELVO_SERVICE_URL=" + service.baseURL());
    environment.push_back("DBUS_SESSION_BUS_ADDRESS=" + bus.address());
    Child app({}, environment);
    ASSERT_TRUE(app.started());

    ASSERT_TRUE(app.waitForLine(answerLine("9.9.9"))) << "no answer was published";
    auto button = findButtonOnScreen(display.name(), scratch.path() / "screen.png");
    ASSERT_TRUE(button) << "no red label on the screen";
    ASSERT_EQ(run({"xdotool", "mousemove", std::to_string(button->centerX()),
                   std::to_string(button->centerY()), "click", "1"},
                  display.name()),
              0);

    EXPECT_EQ(handler.nextOpened(), service.baseURL());
    // The trigger counts five real seconds; the server's wait is longer than that.
    auto shown = notifications.notification(0);
    ASSERT_TRUE(shown) << "the differing version was not announced";
    EXPECT_EQ(shown->summary, "Новая версия!");
    EXPECT_EQ(shown->body, "Для скачивания доступна новая версия 9.9.9");
    EXPECT_EQ(app.terminate(), 0);
    EXPECT_THAT(app.lines(), testing::Not(testing::Contains("User has declined notifications")));
    EXPECT_EQ(notifications.count(), 1u) << "announced once per run";
    EXPECT_EQ(service.requests().size(), 1u) << "one check per window";
}

struct PictureCase {
    const char* name;
    std::optional<std::string> served; // none: the service cannot be reached
    bool button;
};

void PrintTo(const PictureCase& c, std::ostream* out) {
    *out << c.name;
}

class TrelvoResultsRender : public testing::TestWithParam<PictureCase> {};

// Pictures to look at, at 2x: before any answer, after a different one, after the same one.
TEST_P(TrelvoResultsRender, DrawsTheWindowWithoutADisplay) {
    const auto& c = GetParam();
    RunningDemoService service;
    std::string origin = service.baseURL();
    if (c.served) {
        service.setLatestVersion(*c.served);
    } else {
        origin = "https://127.0.0.1:1"; // refused
    }
    const auto folder = fs::path(TRELVO_BINARY_DIR) / "pictures";
    fs::create_directories(folder);
    const auto picture = folder / ("TrelvoResults-" + std::string(c.name) + "@2x.png");
    fs::remove(picture);

    Child app({"--render", picture.string(), "--scale", "2", "--timeout", "2"},
              {"SSL_CERT_FILE=" + service.caFile(), "TRELVO_SERVICE_URL=" + origin,
               "DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent/trelvo-test-bus", "DISPLAY="});
    ASSERT_TRUE(app.started());

    EXPECT_EQ(app.wait(), 0);
    auto image = loadPNG(picture);
    ASSERT_TRUE(image) << picture;
    EXPECT_EQ(cairo_image_surface_get_width(image.get()) % 2, 0);
    EXPECT_EQ(redPixels(image.get()).count > 20, c.button);
    if (c.served) {
        EXPECT_THAT(app.lines(), testing::Contains(answerLine(*c.served)));
    }
}

INSTANTIATE_TEST_SUITE_P(Answers, TrelvoResultsRender,
                         testing::Values(PictureCase{"before-answer", std::nullopt, true},
                                         PictureCase{"newer-answer", "9.9.9", true},
                                         PictureCase{"same-version", ownVersion, false}),
                         [](const auto& info) {
                             std::string name = info.param.name;
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

TEST(TrelvoResultsApp, CarriesTheResultsClientItNeverCalls) {
    if (!which("nm")) {
        GTEST_SKIP() << "needs nm";
    }
    const std::string command = std::string("nm -C '") + program + "'";
    std::unique_ptr<FILE, int (*)(FILE*)> symbols(popen(command.c_str(), "r"), pclose);
    ASSERT_TRUE(symbols);
    std::string text;
    char buffer[4096];
    while (auto got = fread(buffer, 1, sizeof buffer, symbols.get())) {
        text.append(buffer, got);
    }
    EXPECT_NE(text.find("ResultsRepository::fetchResutls"), std::string::npos);
    EXPECT_NE(text.find("ResultsModel::decode"), std::string::npos);
}

} // namespace
