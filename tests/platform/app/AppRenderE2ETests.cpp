#include <cairo.h>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <gio/gio.h>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Run {
    int status;
    std::string out;
    std::string err;
};

// Runs the tiny app with the arguments; without a display, so GTK can never be what works.
Run tinyApp(std::vector<std::string> arguments, bool still = false) {
    g_autoptr(GSubprocessLauncher) launcher =
        g_subprocess_launcher_new(static_cast<GSubprocessFlags>(G_SUBPROCESS_FLAGS_STDOUT_PIPE |
                                                                G_SUBPROCESS_FLAGS_STDERR_PIPE));
    g_subprocess_launcher_unsetenv(launcher, "DISPLAY");
    g_subprocess_launcher_unsetenv(launcher, "WAYLAND_DISPLAY");
    if (still) {
        g_subprocess_launcher_setenv(launcher, "TINY_APP_STILL", "1", TRUE);
    }
    std::vector<const char*> argv{TINY_APP};
    for (const auto& a : arguments) {
        argv.push_back(a.c_str());
    }
    argv.push_back(nullptr);
    g_autoptr(GError) error = nullptr;
    g_autoptr(GSubprocess) process = g_subprocess_launcher_spawnv(launcher, argv.data(), &error);
    if (!process) {
        return {-1, "", error->message};
    }
    g_autofree gchar* out = nullptr;
    g_autofree gchar* err = nullptr;
    g_subprocess_communicate_utf8(process, nullptr, nullptr, &out, &err, &error);
    int status = g_subprocess_get_if_exited(process) ? g_subprocess_get_exit_status(process) : -1;
    return {status, out ? out : "", err ? err : ""};
}

struct Pixel {
    int red, green, blue;
};

std::optional<Pixel> pixelAt(const fs::path& png, int x, int y, int* width, int* height) {
    auto* surface = cairo_image_surface_create_from_png(png.c_str());
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return std::nullopt;
    }
    *width = cairo_image_surface_get_width(surface);
    *height = cairo_image_surface_get_height(surface);
    auto* row = cairo_image_surface_get_data(surface) + y * cairo_image_surface_get_stride(surface);
    std::uint32_t argb;
    std::memcpy(&argb, row + 4 * x, 4);
    cairo_surface_destroy(surface);
    return Pixel{int(argb >> 16 & 0xff), int(argb >> 8 & 0xff), int(argb & 0xff)};
}

class HeadlessRender : public testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() / ("app-render-" + std::to_string(getpid()));
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }
    fs::path folder_;
};

} // namespace

TEST_F(HeadlessRender, DrawsTheWindowAfterTheFirstObservedChange) {
    auto picture = folder_ / "lamp.png";
    // A long time-out: only the change can end this run early.
    auto run = tinyApp({"--render", picture.string(), "--scale", "2", "--timeout", "60"});
    ASSERT_EQ(run.status, 0) << run.err;

    int width = 0, height = 0;
    auto centre = pixelAt(picture, 40, 30, &width, &height);
    ASSERT_TRUE(centre);
    EXPECT_EQ(width, 80); // the window's ideal size, 40 × 30 points, at 2 pixels a point
    EXPECT_EQ(height, 60);
    EXPECT_GT(centre->red, 200) << "the lamp was lit on appearing";
    EXPECT_LT(centre->blue, 100);
}

TEST_F(HeadlessRender, DrawsWhatIsShownWhenNothingChangesBeforeTheTimeout) {
    auto picture = folder_ / "still.png";
    auto run = tinyApp({"--render", picture.string(), "--timeout", "0"}, /*still=*/true);
    ASSERT_EQ(run.status, 0) << run.err;

    int width = 0, height = 0;
    auto centre = pixelAt(picture, 20, 15, &width, &height);
    ASSERT_TRUE(centre);
    EXPECT_EQ(width, 40);
    EXPECT_GT(centre->blue, 200);
    EXPECT_LT(centre->red, 100);
}

TEST(AppCommandLine, AnswersWithoutOpeningAnything) {
    struct Case {
        std::vector<std::string> arguments;
        int status;
        const char* out;
        const char* err;
    } cases[] = {
        {{"--version"}, 0, "1.0.0\n", ""},
        {{"--help"}, 0, "--render PATH", ""},
        {{"--frobnicate"}, 2, "", "unknown argument: --frobnicate"},
        {{"--render", "/nonexistent-folder/x.png", "--timeout", "0"}, 1, "", "cannot draw"},
        {{}, 1, "", "cannot open the display"},
    };
    for (const auto& c : cases) {
        auto run = tinyApp(c.arguments, /*still=*/true);
        SCOPED_TRACE(c.arguments.empty() ? "no arguments" : c.arguments.front());
        EXPECT_EQ(run.status, c.status) << run.err;
        EXPECT_NE(run.out.find(c.out), std::string::npos) << run.out;
        EXPECT_NE(run.err.find(c.err), std::string::npos) << run.err;
    }
}
