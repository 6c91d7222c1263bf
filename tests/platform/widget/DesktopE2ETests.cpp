// The widgets as a person meets them on a desktop: on X11 under a real window manager, and on a
// wlroots compositor's layer shell, both read back from the screen.

#include "tests/support/ChildProgram.h"
#include "tests/support/Eventually.h"
#include "tests/support/TemporaryDirectory.h"
#include "tests/support/TestFiles.h"
#include "tests/support/VirtualDisplay.h"

#include <cairo.h>
#include <gtest/gtest.h>
#include <regex>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using trelvo::test::ChildProgram;
using trelvo::test::eventually;
using trelvo::test::runToEnd;
using trelvo::test::TemporaryDirectory;

constexpr const char* results = RESULTS_WIDGET_EXTENSION;
constexpr const char* countdown = VANTOREL_WIDGET_EXTENSION;

struct Geometry {
    int x = -1, y = -1, width = 0, height = 0;
    friend bool operator==(const Geometry&, const Geometry&) = default;
    friend std::ostream& operator<<(std::ostream& out, const Geometry& g) {
        return out << g.width << "x" << g.height << "+" << g.x << "+" << g.y;
    }
};

std::size_t placesHeld(const fs::path& runtime) {
    std::error_code error;
    auto entries = fs::directory_iterator(runtime / "trelvo" / "places", error);
    return error ? 0
                 : std::count_if(fs::begin(entries), fs::end(entries),
                                 [](const fs::directory_entry& e) {
                                     return e.path().filename().string()[0] != '.';
                                 });
}

// A screen read back as pixels.
class Screen {
public:
    explicit Screen(const fs::path& png)
        : surface_(cairo_image_surface_create_from_png(png.c_str()), cairo_surface_destroy) {}
    bool read() const { return cairo_surface_status(surface_.get()) == CAIRO_STATUS_SUCCESS; }
    int width() const { return cairo_image_surface_get_width(surface_.get()); }
    std::uint32_t at(int x, int y) const {
        auto* row = cairo_image_surface_get_data(surface_.get()) +
                    y * cairo_image_surface_get_stride(surface_.get());
        return reinterpret_cast<const std::uint32_t*>(row)[x] & 0xffffff;
    }
    // Whether the square of `size` pixels at (x, y) here equals the one at (ox, oy) in `other`.
    bool same(int x, int y, const Screen& other, int ox, int oy, int size) const {
        for (int dy = 0; dy < size; ++dy) {
            for (int dx = 0; dx < size; ++dx) {
                if (at(x + dx, y + dy) != other.at(ox + dx, oy + dy)) {
                    return false;
                }
            }
        }
        return true;
    }

private:
    std::unique_ptr<cairo_surface_t, void (*)(cairo_surface_t*)> surface_;
};

class DesktopOnX11 : public testing::Test {
protected:
    void SetUp() override {
        if (display.name().empty()) {
            GTEST_SKIP() << "Xvfb is not available";
        }
        fs::create_directories(runtime);
        fs::permissions(runtime, fs::perms::owner_all);
        wm.emplace(std::vector<std::string>{"openbox", "--sm-disable"}, home.path(), environment);
        ASSERT_TRUE(eventually([&] {
            return !x11("xprop", {"-root", "_NET_SUPPORTING_WM_CHECK"}).empty() &&
                   x11("xprop", {"-root", "_NET_SUPPORTING_WM_CHECK"}).find("window id") !=
                       std::string::npos;
        }));
    }

    std::string x11(const std::string& tool, std::vector<std::string> args) {
        args.insert(args.begin(), tool);
        return runToEnd(args, home.path(), environment, 10s).output;
    }

    Geometry geometryOf(const std::string& title) {
        const auto shell = x11("xdotool", {"search", "--onlyvisible", "--name", "^" + title + "$",
                                           "getwindowgeometry", "--shell"});
        Geometry g;
        std::smatch m;
        if (std::regex_search(
                shell, m, std::regex("X=(-?\\d+)\\nY=(-?\\d+)\\nWIDTH=(\\d+)\\nHEIGHT=(\\d+)"))) {
            g = {std::stoi(m[1]), std::stoi(m[2]), std::stoi(m[3]), std::stoi(m[4])};
        }
        return g;
    }

    ChildProgram start(std::vector<std::string> args) {
        return ChildProgram(args, home.path(), environment);
    }

    trelvo::test::VirtualDisplay display{1280, 800};
    TemporaryDirectory home;
    fs::path runtime = home.path() / "run";
    std::vector<std::string> environment{"DISPLAY=" + display.name(),
                                         "XDG_RUNTIME_DIR=" + runtime.string(),
                                         "XDG_STATE_HOME=" + (home.path() / "state").string(),
                                         "TRELVO_SERVICE_URL=https://127.0.0.1:9",
                                         "LANGUAGE=en",
                                         "LANG=C.UTF-8",
                                         "WAYLAND_DISPLAY"};
    std::optional<ChildProgram> wm;
};

TEST_F(DesktopOnX11, WidgetsStackBelowTheOthersFollowADragAndComeBackThere) {
    std::optional<ChildProgram> first;
    first.emplace(std::vector<std::string>{results}, home.path(), environment);
    ASSERT_TRUE(eventually([&] { return placesHeld(runtime) == 1; }));
    auto second = start({countdown, "--family", "medium"});
    ASSERT_TRUE(eventually([&] { return placesHeld(runtime) == 2; }));

    // The top-right corner, 16 points in, the second under the first.
    ASSERT_TRUE(eventually([&] { return geometryOf("Trelvo Results").x >= 0; }));
    EXPECT_EQ(geometryOf("Trelvo Results"), (Geometry{1280 - 16 - 170, 16, 170, 170}));
    ASSERT_TRUE(eventually([&] { return geometryOf("Next big event countdown").x >= 0; }));
    EXPECT_EQ(geometryOf("Next big event countdown"),
              (Geometry{1280 - 16 - 364, 16 + 170 + 16, 364, 170}));
    const auto window = x11("xdotool", {"search", "--name", "^Trelvo Results$"});
    const auto state = x11("xprop", {"-id", window.substr(0, window.find('\n')), "_NET_WM_STATE"});
    EXPECT_NE(state.find("_NET_WM_STATE_BELOW"), std::string::npos) << state;
    EXPECT_NE(state.find("_NET_WM_STATE_SKIP_TASKBAR"), std::string::npos) << state;

    // Dragged with the primary button to the lower left, and remembered there.
    x11("xdotool",
        {"mousemove", "1150", "100", "mousedown", "1", "sleep", "0.2", "mousemove", "600", "400",
         "sleep", "0.2", "mousemove", "100", "650", "sleep", "0.2", "mouseup", "1"});
    const auto memory = home.path() / "state" / "trelvo" / "TrelvoResultsWidget.place.json";
    ASSERT_TRUE(eventually([&] { return fs::exists(memory); }));
    EXPECT_EQ(trelvo::test::readFile(memory),
              R"({"monitor":"screen","corner":"bottom-left","x":44,"y":64})"
              "\n");
    const Geometry dragged{44, 800 - 64 - 170, 170, 170};
    EXPECT_EQ(geometryOf("Trelvo Results"), dragged);

    // Closed from its menu, it frees its place; started again, it is where the person left it.
    x11("xdotool",
        {"mousemove", "120", "650", "click", "3", "sleep", "0.5", "key", "Up", "key", "Return"});
    ASSERT_TRUE(first->waitForExit(10s));
    EXPECT_EQ(*first->waitForExit(0ms), trelvo::test::ExitStatus::withCode(0)) << first->errors();
    EXPECT_EQ(placesHeld(runtime), 1u);
    first.reset();
    auto again = start({results});
    ASSERT_TRUE(eventually([&] { return geometryOf("Trelvo Results").x >= 0; }));
    EXPECT_EQ(geometryOf("Trelvo Results"), dragged);
}

// sway will not run as root: the compositor and the widgets run as nobody, in a folder of theirs.
class DesktopOnWayland : public testing::Test {
protected:
    void SetUp() override {
        if (::geteuid() != 0 || runToEnd({"sway", "--version"}, home.path()).output.empty()) {
            GTEST_SKIP() << "needs root (to become nobody) and sway";
        }
        fs::create_directories(runtime);
        trelvo::test::writeFile(
            home.path() / "sway.config",
            "output HEADLESS-1 resolution 1280x800 scale 2 bg #3060a0 solid_color\n");
        runToEnd({"chown", "-R", "nobody:nogroup", home.path().string()}, "/");
        fs::permissions(runtime, fs::perms::owner_all);
        fs::permissions(home.path(),
                        fs::perms::owner_all | fs::perms::others_exec | fs::perms::group_exec);
        sway.emplace(asNobody({"sway", "-c", (home.path() / "sway.config").string()}), home.path());
        ASSERT_TRUE(eventually([&] { return fs::exists(runtime / "wayland-1"); }));
    }

    std::vector<std::string> asNobody(std::vector<std::string> args) {
        std::vector<std::string> all{"setpriv",
                                     "--reuid=nobody",
                                     "--regid=nogroup",
                                     "--clear-groups",
                                     "env",
                                     "-i",
                                     "PATH=/usr/bin:/bin",
                                     "HOME=" + home.path().string(),
                                     "XDG_RUNTIME_DIR=" + runtime.string(),
                                     "XDG_STATE_HOME=" + (home.path() / "state").string(),
                                     "WAYLAND_DISPLAY=wayland-1",
                                     "WLR_BACKENDS=headless",
                                     "WLR_LIBINPUT_NO_DEVICES=1",
                                     "WLR_RENDERER=pixman",
                                     "LANGUAGE=en"};
        all.insert(all.end(), args.begin(), args.end());
        return all;
    }

    Screen grab(const std::string& name) {
        const auto file = home.path() / name;
        runToEnd(asNobody({"grim", file.string()}), home.path());
        return Screen(file);
    }

    TemporaryDirectory home;
    fs::path runtime = home.path() / "run";
    std::optional<ChildProgram> sway;
};

TEST_F(DesktopOnWayland, LayerSurfacesStackSharpAtScaleTwoAndComeBackThere) {
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
    const Screen file(drawn);
    ASSERT_TRUE(file.read());

    // 640x400 points at scale 2: the small one at the top right, the medium one under it; each
    // point two pixels, as drawn for scale 2 (not a 1x picture stretched).
    Screen screen = grab("first.png");
    ASSERT_TRUE(eventually(
        [&] {
            screen = grab("first.png");
            return screen.read() && screen.same(2 * 454 + 40, 2 * 16 + 40, file, 40, 40, 260);
        },
        10s));
    EXPECT_EQ(screen.width(), 1280);
    EXPECT_EQ(screen.at(2 * 454 + 1, 2 * 16 + 1), 0x3060a0u); // a transparent corner
    EXPECT_NE(screen.at(2 * 260 + 100, 2 * 202 + 100), 0x3060a0u);
    EXPECT_EQ(screen.at(2 * 260 + 100, 2 * (202 - 8)), 0x3060a0u); // the margin between them

    // Layer surfaces, not windows: the compositor's window tree holds none of them.
    const auto tree = runToEnd(
        asNobody({"swaymsg", "-s", (runtime / "sway-ipc.sock").string(), "-t", "get_tree"}),
        home.path());
    EXPECT_EQ(tree.output.find("countdown"), std::string::npos);

    // Where the person left it last time, on the next start.
    one->signal(SIGTERM);
    ASSERT_TRUE(one->waitForExit(10s));
    one.reset();
    fs::create_directories(home.path() / "state" / "trelvo");
    trelvo::test::writeFile(home.path() / "state" / "trelvo" / "VantorelWidget.place.json",
                            R"({"monitor":"HEADLESS-1","corner":"bottom-left","x":10,"y":20})");
    runToEnd({"chown", "-R", "nobody:nogroup", (home.path() / "state").string()}, "/");
    ChildProgram three(asNobody({countdown, "--placeholder"}), home.path());
    EXPECT_TRUE(eventually(
        [&] {
            screen = grab("again.png");
            return screen.read() &&
                   screen.same(2 * 10 + 40, 2 * (400 - 20 - 170) + 40, file, 40, 40, 260);
        },
        10s));
}

} // namespace
