#include "platform/dispatch/DispatchQueue.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/LinePrinter.h"
#include "platform/ui/CairoHandles.h"
#include "platform/ui/Resources.h"
#include "platform/dispatch/MainLoop.h"
#include "platform/widget/SleepMonitor.h"
#include "platform/widget/WallClockTimer.h"
#include "platform/widget/WidgetMain.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TemporaryDirectory.h"
#include "tests/support/TestFiles.h"

#include <csignal>
#include <cstring>
#include <gtest/gtest.h>
#include <sstream>
#include <thread>

// The widget host: its loop, a timeline run on it, and the program around them, run in this
// process with a widget whose entries are plain colours.

namespace {

namespace fs = std::filesystem;
namespace ui = platform::ui;
using namespace platform::widget;
using platform::dispatch::DispatchQueue;
using platform::foundation::Date;
using platform::foundation::clock::systemNow;
using trelvo::test::ScopedEnv;

struct ShadeEntry {
    Date date;
    int shade = 0; // 0 placeholder, 1 snapshot, 2 and 3 timeline
};

enum class Answer { atOnce, fromAnotherThread, never, held, empty, twoEntries };
Answer answer = Answer::atOnce; // how the widget's provider answers in the run at hand
using Completion = std::function<void(Timeline<ShadeEntry>)>;
std::vector<Completion> held; // requests the test answers when, and from where, it likes

struct ShadeProvider {
    ShadeEntry placeholder(const TimelineProviderContext&) const { return {Date::now(), 0}; }
    void getSnapshot(const TimelineProviderContext&, std::function<void(ShadeEntry)> done) const {
        done({Date::now(), 1});
    }
    void getTimeline(const TimelineProviderContext&, Completion done) const {
        static auto network = DispatchQueue::serial("test.widget.network");
        auto now = Date::now();
        Timeline<ShadeEntry> one{{{now, 2}},
                                 TimelineReloadPolicy::after(now.addingTimeInterval(900))};
        if (answer == Answer::atOnce) {
            done(one);
        } else if (answer == Answer::fromAnotherThread) {
            network->async([done, one] { done(one); });
        } else if (answer == Answer::held) {
            held.push_back(done);
        } else if (answer == Answer::empty) {
            done({{}, TimelineReloadPolicy::never()});
        } else if (answer == Answer::twoEntries) {
            done({{{now, 2}, {now.addingTimeInterval(10), 3}}, TimelineReloadPolicy::never()});
        }
    }
};

struct ShadeWidget {
    const std::string kind = "ShadeWidget";
    auto body() const {
        return StaticConfiguration(kind, ShadeProvider(),
                                   [](const ShadeEntry& entry) {
                                       const ui::Color shades[] = {
                                           ui::Color::red, ui::Color::purple, ui::Color::blue,
                                           ui::Color::pink};
                                       return ui::View(shades[entry.shade]);
                                   })
            .supportedFamilies({WidgetFamily::systemSmall, WidgetFamily::systemMedium})
            .configurationDisplayName("Shades")
            .description("Shows a colour");
    }
};

Timeline<ShadeEntry> oneEntry(int shade) {
    return {{{Date::now(), shade}},
            TimelineReloadPolicy::after(Date::now().addingTimeInterval(900))};
}

// What the host presented: the shade, "!" when stale, "?" when not on the test's own thread.
struct Recorder {
    std::vector<std::string> shown;
    std::optional<Date> sleep;
    std::thread::id loop = std::this_thread::get_id();

    TimelineHost<ShadeProvider>::Hooks hooks() {
        return {[this](const ShadeEntry& entry, const Presentation& presentation) {
                    shown.push_back(std::to_string(entry.shade) + (presentation.stale ? "!" : "") +
                                    (std::this_thread::get_id() == loop ? "" : "?"));
                },
                [this](std::optional<Date> at) { sleep = at; }};
    }
};

TEST(TimelineHost, ShowsThePlaceholderAtOnceThenTakesTheNewestAnswerOnItsOwnLoop) {
    platform::foundation::ScopedClock clock(Date::fromTimeIntervalSince1970(1'623'000'000));
    answer = Answer::held;
    held.clear();
    Recorder recorder;
    auto host = std::make_unique<TimelineHost<ShadeProvider>>(
        ShadeProvider(), TimelineProviderContext{}, recorder.hooks());
    host->start();
    EXPECT_EQ(recorder.shown, std::vector<std::string>{"0"}); // never waits for the answer
    EXPECT_EQ(recorder.sleep, clock.now().addingTimeInterval(60));

    std::thread([] { held.at(0)(oneEntry(7)); }).join();
    EXPECT_EQ(recorder.shown.size(), 1u); // nothing happens off the loop
    DispatchQueue::main().drain();
    EXPECT_EQ(recorder.shown.back(), "7");
    EXPECT_EQ(recorder.sleep, clock.now().addingTimeInterval(900));

    for (int minute = 1; minute <= 30; ++minute) { // the reload goes unanswered
        clock.advance(60);
        host->wake();
    }
    EXPECT_EQ(recorder.shown.back(), "7!"); // the same entry, marked stale
    held.back()(oneEntry(8));
    held.back()(oneEntry(9)); // delivered twice
    held.at(1)(oneEntry(10)); // late: an older request
    DispatchQueue::main().drain();
    EXPECT_EQ(recorder.shown.back(), "8");
    EXPECT_EQ(host->shown().shade, 8);

    host.reset();
    held.back()(oneEntry(11)); // the host is gone: dropped
    DispatchQueue::main().drain();
    EXPECT_EQ(recorder.shown.back(), "8");
}

// A picture file as compared here: "png WxH" and its centre pixel (ARGB), "svg", "pdf", or the
// bytes it holds when it is none of these.
std::string describe(const fs::path& file) {
    auto bytes = trelvo::test::readFile(file);
    ui::SurfacePtr image(cairo_image_surface_create_from_png(file.c_str()));
    if (cairo_surface_status(image.get()) != CAIRO_STATUS_SUCCESS) {
        return bytes.starts_with("<?xml") ? "svg" : bytes.starts_with("%PDF") ? "pdf" : bytes;
    }
    int width = cairo_image_surface_get_width(image.get());
    int height = cairo_image_surface_get_height(image.get());
    std::uint32_t centre;
    std::memcpy(&centre,
                cairo_image_surface_get_data(image.get()) +
                    height / 2 * cairo_image_surface_get_stride(image.get()) + width / 2 * 4,
                4);
    char text[64];
    std::snprintf(text, sizeof text, "png %dx%d %08x", width, height, centre);
    return text;
}

// The host run in this process, without a display unless named, as one line: the exit status,
// what it printed, then what `file` holds when the command names it ("{}"), then "| " and what
// it wrote to stderr. A word '' is an empty argument.
std::string run(const std::string& command, Answer how = Answer::atOnce, const fs::path& file = {},
                std::optional<std::string> display = std::nullopt) {
    ScopedEnv x11("DISPLAY", display), wayland("WAYLAND_DISPLAY", std::nullopt);
    answer = how;
    std::vector<std::string> args{"shade-widget"};
    std::istringstream words(command);
    for (std::string word; words >> word;) {
        if (auto at = word.find("{}"); at != std::string::npos) {
            word.replace(at, 2, file.string());
        }
        args.push_back(word == "''" ? "" : word);
    }
    std::vector<char*> argv;
    for (auto& arg : args) {
        argv.push_back(arg.data());
    }
    platform::foundation::ScopedLineCapture printed;
    testing::internal::CaptureStderr();
    std::string line = std::to_string(main<ShadeWidget>(int(args.size()), argv.data()));
    auto errors = testing::internal::GetCapturedStderr();
    for (const auto& text : printed.lines()) {
        line += " " + text;
    }
    line += command.find("{}") != std::string::npos ? " " + describe(file) : "";
    return line + (errors.empty() ? "" : " | " + errors.substr(0, errors.size() - 1));
}

TEST(WidgetMain, HelpNamesEveryOptionAndTheWayWithoutADisplay) {
    auto help = run("-h");
    EXPECT_TRUE(help.starts_with("0 Usage: shade-widget [OPTION]...\n")) << help;
    for (const char* option :
         {"--output", "--once", "--timeout", "--snapshot", "--placeholder", "--family", "--scale",
          "--describe", "--help", "--version", "shade-widget --output widget.png"}) {
        EXPECT_NE(help.find(option), std::string::npos) << option;
    }
    // The names --describe prints are in the user's language where the bundle translates them.
    ui::ScopedResources strings({[](std::string_view key) -> std::optional<std::string> {
        return key == "Shades" ? std::optional<std::string>("Teintes") : std::nullopt;
    }});
    auto json = describeJSON(hostedWidget<ShadeWidget>().descriptor);
    EXPECT_NE(json.find(R"("displayName":"Teintes","description":"Shows a colour")"), json.npos);
}

TEST(WidgetMain, CommandLines) {
    const std::string must = ": the file name must end in .png, .svg or .pdf (see --help)";
    const std::string seconds = ": expected seconds, from 0 to 86400 (see --help)";
    const std::string left = " left as it was";
    // Each file named "{}" starts as "previous picture", in a folder of its own.
    struct Case {
        std::string command, result;
        Answer answer = Answer::atOnce;
        const char* file = "w.png";
        std::optional<std::string> display = std::nullopt;
    } cases[] = {
        {"--version", "0 shade-widget " EXPECTED_VERSION},
        {"--describe",
         R"(0 {"kind":"ShadeWidget","displayName":"Shades",)"
         R"("description":"Shows a colour","families":["systemSmall","systemMedium"]})"},
        // Refused, with status 2 and the reason.
        {"--frobnicate", "2 | shade-widget: unknown option --frobnicate (see --help)"},
        {"picture.png", "2 | shade-widget: unexpected argument picture.png (see --help)"},
        {"--output", "2 | shade-widget: --output needs a value (see --help)"},
        {"--output ''", "2 | shade-widget: --output needs a file name (see --help)"},
        {"--output w.jpg", "2 | shade-widget: --output w.jpg" + must},
        {"--output=dir/.png", "2 | shade-widget: --output dir/.png" + must},
        {"--family huge",
         "2 | shade-widget: --family huge: expected small, medium or large (see --help)"},
        {"--scale 4", "2 | shade-widget: --scale 4: expected 1, 2 or 3 (see --help)"},
        {"--scale=1.5", "2 | shade-widget: --scale 1.5: expected 1, 2 or 3 (see --help)"},
        {"--scale x", "2 | shade-widget: --scale x: expected 1, 2 or 3 (see --help)"},
        {"--timeout -1", "2 | shade-widget: --timeout -1" + seconds},
        {"--timeout 86401", "2 | shade-widget: --timeout 86401" + seconds},
        {"--timeout nan", "2 | shade-widget: --timeout nan" + seconds},
        {"--once=yes", "2 | shade-widget: --once takes no value (see --help)"},
        {"--help=all", "2 | shade-widget: --help takes no value (see --help)"},
        {"--snapshot --placeholder",
         "2 | shade-widget: --snapshot and --placeholder exclude each other (see --help)"},
        {"--family large --output {}", "2 previous picture | shade-widget: ShadeWidget does not "
                                       "come in the large family; it offers: small, medium"},
        {"--once", "2 | shade-widget: --once needs --output FILE.png"},
        {"--snapshot", "2 | shade-widget: no display: use --output FILE.png (see --help)"},
        {"",
         "2 | shade-widget: cannot open the display :999999; without a display use --output "
         "FILE.png",
         Answer::atOnce, "w.png", ":999999"},
        // One picture, or the file left alone.
        {"--once --output={} --family medium --scale=2", "0 png 728x340 ff007aff"},
        {"--once --output {}", "0 png 170x170 ff007aff", Answer::fromAnotherThread},
        {"--placeholder --output {}", "0 png 170x170 ffff3b30", Answer::never},
        {"--snapshot --output {}", "0 png 170x170 ffaf52de", Answer::never},
        {"--once --output {}", "0 svg", Answer::atOnce, "w.svg"},
        {"--once --output {}", "0 pdf", Answer::atOnce, "W.Pdf"},
        {"--once --output {} --timeout 0",
         "1 previous picture | shade-widget: the widget did not answer within 0 seconds; {}" + left,
         Answer::never},
        {"--once --output {}",
         "1 previous picture | shade-widget: the widget answered with an empty timeline; {}" + left,
         Answer::empty},
        {"--once --output {}",
         "1  | shade-widget: cannot create a file next to {}: No such file or directory",
         Answer::atOnce, "missing/w.png"},
    };
    for (auto c : cases) {
        SCOPED_TRACE(c.command);
        trelvo::test::TemporaryDirectory folder;
        const auto path = folder.path() / c.file;
        trelvo::test::writeFile(path, "previous picture");
        if (auto at = c.result.find("{}"); at != std::string::npos) {
            c.result.replace(at, 2, path.string());
        }
        EXPECT_EQ(run(c.command, c.answer, path, c.display), c.result);
        auto files = std::distance(fs::directory_iterator(folder.path()), {});
        EXPECT_EQ(files, fs::exists(path) ? 1 : 0); // nothing left beside it
    }
}

TEST(WidgetMain, RewritesTheFileForEachEntryAsTimePasses) {
    platform::foundation::ScopedClock clock(Date::fromTimeIntervalSince1970(1'623'000'000));
    trelvo::test::TemporaryDirectory folder;
    auto path = folder.path() / "w.png";
    std::vector<std::string> seen;
    auto& main = DispatchQueue::main();
    // Each block queues the next behind what the host has queued meanwhile.
    main.async([&] {
        main.async([&] { // the timeline has been taken
            seen.push_back(describe(path));
            clock.advance(10);
            main.async([&] { // the host has re-planned for the new time
                seen.push_back(describe(path));
                std::raise(SIGTERM);
            });
        });
    });
    EXPECT_EQ(run("--output {}", Answer::twoEntries, path), "0 png 170x170 ffff2d55");
    EXPECT_EQ(seen, (std::vector<std::string>{"png 170x170 ff007aff", "png 170x170 ffff2d55"}));
}

TEST(WidgetFamily, SizesAndShortNames) {
    for (auto [family, shortName, size] :
         {std::tuple{WidgetFamily::systemSmall, "small", DisplaySize{170, 170}},
          {WidgetFamily::systemMedium, "medium", DisplaySize{364, 170}},
          {WidgetFamily::systemLarge, "large", DisplaySize{364, 382}}}) {
        EXPECT_EQ(displaySize(family), size) << shortName;
        EXPECT_EQ(TimelineProviderContext::forFamily(family).displaySize, size) << shortName;
        EXPECT_EQ(familyFromShortName(shortName), family);
    }
}

TEST(HostLoop, RunsQueuedBlocksAndTimers) {
    // Without a system bus, resumes go unheard; nothing else changes.
    ScopedEnv bus("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/trelvo-bus");
    std::vector<std::string> ran;
    DispatchQueue::main().async([&] { ran.push_back("queued before the loop"); });
    platform::dispatch::MainLoop loop;
    SleepMonitor monitor([&] { ran.push_back("resumed"); });
    WallClockTimer timer([&] { ran.push_back("timer"), loop.quit(3); }, [] {});
    timer.arm(systemNow().addingTimeInterval(-1));
    timer.arm(std::nullopt); // nothing due any more
    const auto loopThread = std::this_thread::get_id();
    std::thread([&] {
        DispatchQueue::main().async([&] {
            ran.push_back(std::this_thread::get_id() == loopThread ? "from a thread" : "elsewhere");
        });
    }).join();
    loop.quitAfter(0, 7);
    EXPECT_EQ(loop.run(), 7);
    timer.arm(systemNow().addingTimeInterval(-1)); // a date that has passed
    EXPECT_EQ(loop.run(), 3);
    EXPECT_EQ(ran, (std::vector<std::string>{"queued before the loop", "from a thread", "timer"}));
    SleepMonitor gone([&] { ran.push_back("resumed"); }); // ends before its bus answers
}

} // namespace
