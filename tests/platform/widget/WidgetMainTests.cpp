#include "platform/foundation/Clock.h"
#include "platform/foundation/LinePrinter.h"
#include "platform/ui/CairoHandles.h"
#include "platform/widget/WidgetMain.h"

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gdk/gdk.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sstream>

namespace {

namespace fs = std::filesystem;
namespace ui = platform::ui;
using namespace platform::widget;
using platform::dispatch::DispatchQueue;
using platform::foundation::Date;

enum class Answer { atOnce, fromAnotherThread, never, empty, twoEntries };

struct ShadeEntry {
    Date date;
    int shade = 0; // 0 placeholder, 1 snapshot, 2 and 3 timeline
};

ui::Color colorOf(int shade) {
    switch (shade) {
    case 0:
        return ui::Color::red;
    case 1:
        return ui::Color::purple;
    case 3:
        return ui::Color::pink;
    default:
        return ui::Color::blue;
    }
}

std::shared_ptr<DispatchQueue> network() {
    static auto queue = DispatchQueue::serial("test.widget.network");
    return queue;
}

template <Answer A> struct ShadeProvider {
    ShadeEntry placeholder(const TimelineProviderContext&) const { return {Date::now(), 0}; }
    void getSnapshot(const TimelineProviderContext&, std::function<void(ShadeEntry)> done) const {
        done({Date::now(), 1});
    }
    void getTimeline(const TimelineProviderContext&,
                     std::function<void(Timeline<ShadeEntry>)> done) const {
        auto timeline = Timeline{std::vector{ShadeEntry{Date::now(), 2}},
                                 TimelineReloadPolicy::after(Date::now().addingTimeInterval(900))};
        switch (A) {
        case Answer::atOnce:
            done(timeline);
            break;
        case Answer::fromAnotherThread:
            network()->async([done, timeline] { done(timeline); });
            break;
        case Answer::never:
            break;
        case Answer::empty:
            done(Timeline<ShadeEntry>{{}, TimelineReloadPolicy::never()});
            break;
        case Answer::twoEntries:
            done(Timeline{std::vector{ShadeEntry{Date::now(), 2},
                                      ShadeEntry{Date::now().addingTimeInterval(10), 3}},
                          TimelineReloadPolicy::never()});
            break;
        }
    }
};

template <Answer A> struct ShadeWidget {
    const std::string kind = "ShadeWidget";
    auto body() const {
        return StaticConfiguration(
                   kind, ShadeProvider<A>(),
                   [](const ShadeEntry& entry) { return ui::View(colorOf(entry.shade)); })
            .supportedFamilies({WidgetFamily::systemSmall, WidgetFamily::systemMedium})
            .configurationDisplayName("Shades")
            .description("Shows a colour");
    }
};

struct Outcome {
    int status = 0;
    std::vector<std::string> out;
    std::string err;
};

template <Answer A = Answer::atOnce> Outcome run(std::vector<std::string> args) {
    args.insert(args.begin(), "shade-widget");
    std::vector<char*> argv;
    for (auto& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    platform::foundation::ScopedLineCapture lines;
    testing::internal::CaptureStderr();
    Outcome outcome;
    outcome.status = platform::widget::main<ShadeWidget<A>>(int(args.size()), argv.data());
    outcome.err = testing::internal::GetCapturedStderr();
    outcome.out = lines.lines();
    return outcome;
}

class WidgetMainTest : public testing::Test {
protected:
    void SetUp() override {
        ::unsetenv("DISPLAY");
        ::unsetenv("WAYLAND_DISPLAY");
        folder = fs::temp_directory_path() /
                 ("widget-main-" + std::to_string(::getpid()) + "-" +
                  testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }

    static std::string read(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream buffer;
        buffer << in.rdbuf();
        return buffer.str();
    }

    // The colour at the centre of a PNG, and its size in pixels.
    struct Picture {
        int width = 0, height = 0;
        std::uint32_t centre = 0;
    };
    static Picture picture(const fs::path& path) {
        ui::SurfacePtr image(cairo_image_surface_create_from_png(path.c_str()));
        if (cairo_surface_status(image.get()) != CAIRO_STATUS_SUCCESS) {
            return {};
        }
        Picture result{cairo_image_surface_get_width(image.get()),
                       cairo_image_surface_get_height(image.get())};
        auto* row = cairo_image_surface_get_data(image.get()) +
                    (result.height / 2) * cairo_image_surface_get_stride(image.get());
        std::memcpy(&result.centre, row + (result.width / 2) * 4, 4);
        return result;
    }
    static std::uint32_t argb(ui::Color c) {
        auto channel = [](double v) { return std::uint32_t(v * 255 + 0.5); };
        return 0xff000000u | channel(c.r) << 16 | channel(c.g) << 8 | channel(c.b);
    }

    fs::path folder;
};

TEST_F(WidgetMainTest, HelpNamesTheOptions) {
    auto outcome = run({"--help"});
    EXPECT_EQ(outcome.status, 0);
    ASSERT_EQ(outcome.out.size(), 1u);
    EXPECT_EQ(outcome.out[0].rfind("Usage: shade-widget", 0), 0u);
    EXPECT_NE(outcome.out[0].find("--output PATH"), std::string::npos);
    EXPECT_EQ(outcome.err, "");
}

TEST_F(WidgetMainTest, VersionIsOneLine) {
    auto outcome = run({"--version"});
    EXPECT_EQ(outcome.status, 0);
    ASSERT_EQ(outcome.out.size(), 1u);
    EXPECT_EQ(outcome.out[0].rfind("shade-widget ", 0), 0u);
}

TEST_F(WidgetMainTest, DescribePrintsTheDeclarationAsJSON) {
    auto outcome = run({"--describe"});
    EXPECT_EQ(outcome.status, 0);
    ASSERT_EQ(outcome.out.size(), 1u);
    auto json = nlohmann::json::parse(outcome.out[0]);
    EXPECT_EQ(json, (nlohmann::json{{"kind", "ShadeWidget"},
                                    {"displayName", "Shades"},
                                    {"description", "Shows a colour"},
                                    {"families", {"systemSmall", "systemMedium"}}}));
}

struct RefusalCase {
    std::vector<std::string> args;
    std::string message;
};

void PrintTo(const RefusalCase& c, std::ostream* out) {
    *out << c.message;
}

class Refusals : public WidgetMainTest, public testing::WithParamInterface<RefusalCase> {};

TEST_P(Refusals, ExitWithStatusTwoAndSayWhy) {
    auto outcome = run(GetParam().args);
    EXPECT_EQ(outcome.status, 2);
    EXPECT_EQ(outcome.err, "shade-widget: " + GetParam().message + "\n");
    EXPECT_TRUE(outcome.out.empty());
}

INSTANTIATE_TEST_SUITE_P(
    CommandLines, Refusals,
    testing::Values(
        RefusalCase{{"--family", "large", "--output", "w.png"},
                    "ShadeWidget does not come in the large family; it offers: small, medium"},
        RefusalCase{{}, "no display: use --output FILE.png (see --help)"},
        RefusalCase{{"--snapshot"}, "no display: use --output FILE.png (see --help)"},
        RefusalCase{{"--once"}, "--once needs --output FILE.png"},
        RefusalCase{{"--bogus"}, "unknown option --bogus (see --help)"}));

TEST_F(WidgetMainTest, OnceDrawsTheTimelineEntryIntoAWholePNG) {
    auto path = folder / "w.png";
    auto outcome = run({"--once", "--output", path.string(), "--family", "medium", "--scale", "2"});
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    auto shown = picture(path);
    EXPECT_EQ(shown.width, 728);
    EXPECT_EQ(shown.height, 340);
    EXPECT_EQ(shown.centre, argb(ui::Color::blue));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
    EXPECT_EQ(gdk_display_get_default(), nullptr); // pictures never start GTK
}

TEST_F(WidgetMainTest, ADisplayThatCannotBeOpenedIsNamed) {
    ::setenv("DISPLAY", ":999999", 1);
    auto outcome = run({});
    EXPECT_EQ(outcome.status, 2);
    EXPECT_EQ(outcome.err, "shade-widget: cannot open the display :999999; without a display use "
                           "--output FILE.png\n");
}

TEST_F(WidgetMainTest, OutputIsRewrittenForEachEntryAsTimePasses) {
    platform::foundation::ScopedClock clock(Date::fromTimeIntervalSince1970(1'623'000'000));
    auto path = folder / "w.png";
    std::vector<std::uint32_t> seen;
    auto& main = DispatchQueue::main();
    // Each block queues the next behind what the host has queued meanwhile.
    main.async([&] {
        main.async([&] { // the first timeline has been taken
            seen.push_back(picture(path).centre);
            clock.advance(10);
            main.async([&] { // the host has re-planned for the new time
                seen.push_back(picture(path).centre);
                std::raise(SIGTERM);
            });
        });
    });
    auto outcome = run<Answer::twoEntries>({"--output", path.string()});
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(seen, (std::vector{argb(ui::Color::blue), argb(ui::Color::pink)}));
}

TEST_F(WidgetMainTest, OnceWaitsForAnAnswerFromAnotherThread) {
    auto path = folder / "w.png";
    auto outcome = run<Answer::fromAnotherThread>({"--once", "--output", path.string()});
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(picture(path).centre, argb(ui::Color::blue));
}

struct StandInCase {
    const char* option;
    ui::Color color;
};

void PrintTo(const StandInCase& c, std::ostream* out) {
    *out << c.option;
}

class StandIns : public WidgetMainTest, public testing::WithParamInterface<StandInCase> {};

TEST_P(StandIns, DrawTheirEntryInsteadOfTheTimeline) {
    auto path = folder / "w.png";
    // The widget would never answer a timeline request: these must not ask for one.
    auto outcome = run<Answer::never>({GetParam().option, "--output", path.string()});
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(picture(path).centre, argb(GetParam().color));
}

INSTANTIATE_TEST_SUITE_P(Entries, StandIns,
                         testing::Values(StandInCase{"--placeholder", ui::Color::red},
                                         StandInCase{"--snapshot", ui::Color::purple}));

TEST_F(WidgetMainTest, OnceUnansweredFailsAndLeavesTheFileAsItWas) {
    auto path = folder / "w.png";
    std::ofstream(path) << "previous picture";
    auto outcome = run<Answer::never>({"--once", "--output", path.string(), "--timeout", "0"});
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.err, "shade-widget: the widget did not answer within 0 seconds; " +
                               path.string() + " left as it was\n");
    EXPECT_EQ(read(path), "previous picture");
}

TEST_F(WidgetMainTest, OnceWithAnEmptyTimelineFailsAndLeavesTheFile) {
    auto path = folder / "w.png";
    std::ofstream(path) << "previous picture";
    auto outcome = run<Answer::empty>({"--once", "--output", path.string()});
    EXPECT_EQ(outcome.status, 1);
    EXPECT_NE(outcome.err.find("empty timeline"), std::string::npos) << outcome.err;
    EXPECT_EQ(read(path), "previous picture");
}

TEST_F(WidgetMainTest, OnceIntoAFolderThatIsMissingFailsClearly) {
    auto path = folder / "missing" / "w.png";
    auto outcome = run({"--once", "--output", path.string()});
    EXPECT_EQ(outcome.status, 1);
    EXPECT_NE(outcome.err.find(path.string()), std::string::npos) << outcome.err;
}

TEST_F(WidgetMainTest, VectorOutputsFollowTheExtension) {
    for (const char* name : {"w.svg", "w.pdf"}) {
        auto path = folder / name;
        auto outcome = run({"--once", "--output", path.string()});
        EXPECT_EQ(outcome.status, 0) << outcome.err;
        auto bytes = read(path);
        EXPECT_EQ(bytes.rfind(std::string(name) == "w.svg" ? "<?xml" : "%PDF", 0), 0u) << name;
    }
}

} // namespace
