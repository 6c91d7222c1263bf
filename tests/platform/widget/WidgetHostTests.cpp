// The widget host: its loop, a timeline run on it, the pictures it writes and the program
// around them, run in this process with a widget whose entries are plain colours.

#include "platform/dispatch/DispatchQueue.h"
#include "platform/dispatch/MainLoop.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/LinePrinter.h"
#include "platform/foundation/TimeZone.h"
#include "platform/ui/Resources.h"
#include "platform/ui/Stack.h"
#include "platform/ui/Text.h"
#include "platform/widget/AtomicFile.h"
#include "platform/widget/FilePresenter.h"
#include "platform/widget/PictureFingerprint.h"
#include "platform/widget/SleepMonitor.h"
#include "platform/widget/StaleMark.h"
#include "platform/widget/WallClockTimer.h"
#include "platform/widget/WidgetMain.h"
#include "tests/support/Picture.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TemporaryDirectory.h"
#include "tests/support/TestFiles.h"

#include <csignal>
#include <gtest/gtest.h>
#include <set>
#include <sstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>

namespace {

namespace fs = std::filesystem;
namespace ui = platform::ui;
using namespace platform::widget;
using platform::dispatch::DispatchQueue;
using platform::foundation::Date;
using platform::foundation::clock::systemNow;
using trelvo::test::ScopedEnv;
using trelvo::test::TemporaryDirectory;

const std::string blue = "png 340x340 ff007aff", red = "png 340x340 ffff3b30"; // at scale 2

struct ShadeEntry {
    Date date;
    int shade = 0; // 0 placeholder, 1 snapshot, 2 and 3 timeline
};

enum class Answer { atOnce, fromAnotherThread, never, held, empty, twoEntries };
Answer answer = Answer::atOnce; // how the widget's provider answers in the run at hand
using Completion = std::function<void(Timeline<ShadeEntry>)>;
std::vector<Completion> held; // requests the test answers when, and from where, it likes

Timeline<ShadeEntry> oneEntry(int shade) {
    return {{{Date::now(), shade}},
            TimelineReloadPolicy::after(Date::now().addingTimeInterval(900))};
}

struct ShadeProvider {
    ShadeEntry placeholder(const TimelineProviderContext&) const { return {Date::now(), 0}; }
    void getSnapshot(const TimelineProviderContext&, std::function<void(ShadeEntry)> done) const {
        done({Date::now(), 1});
    }
    void getTimeline(const TimelineProviderContext&, Completion done) const {
        static auto network = DispatchQueue::serial("test.widget.network");
        const auto now = Date::now();
        if (answer == Answer::atOnce)
            done(oneEntry(2));
        else if (answer == Answer::fromAnotherThread)
            network->async([done, one = oneEntry(2)] { done(one); });
        else if (answer == Answer::held)
            held.push_back(done);
        else if (answer == Answer::empty)
            done({{}, TimelineReloadPolicy::never()});
        else if (answer == Answer::twoEntries)
            done({{{now, 2}, {now.addingTimeInterval(10), 3}}, TimelineReloadPolicy::never()});
    }
};

// A word in the corner, so that a redacted picture shows: an SVG of it holds no glyphs.
ui::View shaded(const ShadeEntry& entry) {
    const ui::Color shades[] = {ui::Color::red, ui::Color::purple, ui::Color::blue,
                                ui::Color::pink};
    return ui::ZStack(ui::Alignment::topLeading,
                      {shades[entry.shade], ui::Text::verbatim("Shade")});
}

struct ShadeWidget {
    const std::string kind = "ShadeWidget";
    auto body() const {
        return StaticConfiguration(kind, ShadeProvider(), shaded)
            .supportedFamilies({WidgetFamily::systemSmall, WidgetFamily::systemMedium})
            .configurationDisplayName("Shades")
            .description("Shows a colour");
    }
};

TEST(TimelineHost, ShowsThePlaceholderAtOnceThenTakesTheNewestAnswerOnItsOwnLoop) {
    platform::foundation::ScopedClock clock(Date::fromTimeIntervalSince1970(1'623'000'000));
    answer = Answer::held;
    held.clear();
    std::vector<std::string> shown; // the shade, "!" when stale, "?" when not on this thread
    std::optional<Date> sleep;
    const auto loop = std::this_thread::get_id();
    auto host = std::make_unique<TimelineHost<ShadeProvider>>(
        ShadeProvider(), TimelineProviderContext{},
        TimelineHost<ShadeProvider>::Hooks{
            [&](const ShadeEntry& entry, const Presentation& presentation) {
                shown.push_back(std::to_string(entry.shade) + (presentation.stale ? "!" : "") +
                                (std::this_thread::get_id() == loop ? "" : "?"));
            },
            [&](std::optional<Date> at) { sleep = at; }});
    host->start();
    EXPECT_EQ(shown, std::vector<std::string>{"0"}); // never waits for the answer
    EXPECT_EQ(sleep, clock.now().addingTimeInterval(60));
    std::thread([] { held.at(0)(oneEntry(7)); }).join();
    EXPECT_EQ(shown.size(), 1u); // nothing happens off the loop
    DispatchQueue::main().drain();
    EXPECT_EQ(shown.back(), "7");
    EXPECT_EQ(sleep, clock.now().addingTimeInterval(900));
    for (int minute = 1; minute <= 30; ++minute) // the reload goes unanswered
        clock.advance(60), host->wake();
    EXPECT_EQ(shown.back(), "7!"); // the same entry, marked stale
    held.back()(oneEntry(8));
    held.back()(oneEntry(9)); // delivered twice
    held.at(1)(oneEntry(10)); // late: an older request
    DispatchQueue::main().drain();
    EXPECT_EQ(shown.back(), "8");
    EXPECT_EQ(host->shown().shade, 8);
    host.reset();
    held.back()(oneEntry(11)); // the host is gone: dropped
    DispatchQueue::main().drain();
    EXPECT_EQ(shown.back(), "8");
}

// A picture file as compared here: "png WxH" and its ARGB pixel at (x, y), its centre unless
// given; "svg" ("svg text" when it holds glyphs), "pdf", or the bytes it holds when none of these.
std::string describe(const fs::path& file, int x = -1, int y = -1) {
    const trelvo::test::Picture image(file);
    if (!image.read()) {
        auto bytes = trelvo::test::readFile(file);
        return bytes.starts_with("%PDF")           ? "pdf"
               : !bytes.starts_with("<?xml")       ? bytes
               : bytes.find("glyph") != bytes.npos ? "svg text"
                                                   : "svg";
    }
    char text[64];
    std::snprintf(text, sizeof text, "png %dx%d %08x", image.width(), image.height(),
                  image.at(x < 0 ? image.width() / 2 : x, x < 0 ? image.height() / 2 : y));
    return text;
}

long filesIn(const fs::path& folder) {
    return std::distance(fs::directory_iterator(folder), {});
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
        if (auto at = word.find("{}"); at != std::string::npos)
            word.replace(at, 2, file.string());
        args.push_back(word == "''" ? "" : word);
    }
    std::vector<char*> argv;
    for (auto& arg : args)
        argv.push_back(arg.data());
    platform::foundation::ScopedLineCapture printed;
    testing::internal::CaptureStderr();
    std::string line = std::to_string(main<ShadeWidget>(int(args.size()), argv.data()));
    auto errors = testing::internal::GetCapturedStderr();
    for (const auto& text : printed.lines())
        line += " " + text;
    line += command.find("{}") != std::string::npos ? " " + describe(file) : "";
    return line + (errors.empty() ? "" : " | " + errors.substr(0, errors.size() - 1));
}

TEST(WidgetMain, HelpNamesEveryOptionAndTheWayWithoutADisplay) {
    auto help = run("-h");
    EXPECT_TRUE(help.starts_with("0 Usage: shade-widget [OPTION]...\n")) << help;
    for (const char* option :
         {"--output", "--once", "--timeout", "--snapshot", "--placeholder", "--family", "--scale",
          "--describe", "--help", "--version", "shade-widget --output widget.png"})
        EXPECT_NE(help.find(option), std::string::npos) << option;
    // The names --describe prints are in the user's language where the bundle translates them.
    ui::ScopedResources strings({[](std::string_view key) -> std::optional<std::string> {
        return key == "Shades" ? std::optional<std::string>("Teintes") : std::nullopt;
    }});
    auto json = describeJSON(hostedWidget<ShadeWidget>().descriptor);
    EXPECT_NE(json.find(R"("displayName":"Teintes","description":"Shows a colour")"), json.npos);
}

TEST(WidgetMain, CommandLines) {
    const std::string no = "2 | shade-widget: ", help = " (see --help)", left = " left as it was";
    const std::string must = ": the file name must end in .png, .svg or .pdf" + help;
    const std::string seconds = ": expected seconds, from 0 to 86400" + help;
    const std::string points = ": expected whole points, from 0 to 1000" + help;
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
        {"--frobnicate", no + "unknown option --frobnicate" + help},
        {"picture.png", no + "unexpected argument picture.png" + help},
        {"--output", no + "--output needs a value" + help},
        {"--output ''", no + "--output needs a file name" + help},
        {"--output w.jpg", no + "--output w.jpg" + must},
        {"--output=dir/.png", no + "--output dir/.png" + must},
        {"--family huge", no + "--family huge: expected small, medium or large" + help},
        {"--scale 4", no + "--scale 4: expected 1, 2 or 3" + help},
        {"--scale=1.5", no + "--scale 1.5: expected 1, 2 or 3" + help},
        {"--scale x", no + "--scale x: expected 1, 2 or 3" + help},
        {"--timeout -1", no + "--timeout -1" + seconds},
        {"--timeout 86401", no + "--timeout 86401" + seconds},
        {"--timeout nan", no + "--timeout nan" + seconds},
        {"--position left", no + "--position left: expected top-left, top-right, "
                                 "bottom-left, bottom-right or center (see --help)"},
        {"--position", no + "--position needs a value" + help},
        {"--margin -1", no + "--margin -1" + points},
        {"--margin=2.5", no + "--margin 2.5" + points},
        {"--monitor=", no + "--monitor needs a monitor's name, such as HDMI-1" + help},
        {"--once=yes", no + "--once takes no value" + help},
        {"--help=all", no + "--help takes no value" + help},
        {"--snapshot --placeholder", no + "--snapshot and --placeholder exclude each other" + help},
        {"--family large --output {}", "2 previous picture | shade-widget: ShadeWidget does not "
                                       "come in the large family; it offers: small, medium"},
        {"--once", no + "--once needs --output FILE.png"},
        {"--snapshot", no + "no display: use --output FILE.png" + help},
        {"", no + "cannot open the display :999999; without a display use --output FILE.png",
         Answer::atOnce, "w.png", ":999999"},
        // One picture, or the file left alone. The placeholder is drawn redacted.
        {"--once --output={} --family medium --scale=2", "0 png 728x340 ff007aff"},
        {"--once --output {}", "0 png 170x170 ff007aff", Answer::fromAnotherThread},
        {"--placeholder --output {}", "0 png 170x170 ffff3b30", Answer::never},
        {"--snapshot --output {}", "0 png 170x170 ffaf52de", Answer::never},
        {"--placeholder --output {}", "0 svg", Answer::never, "w.svg"},
        {"--snapshot --output {}", "0 svg text", Answer::never, "w.svg"},
        {"--once --output {}", "0 svg text", Answer::atOnce, "w.svg"},
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
        TemporaryDirectory folder;
        const auto path = folder.path() / c.file;
        trelvo::test::writeFile(path, "previous picture");
        if (auto at = c.result.find("{}"); at != std::string::npos)
            c.result.replace(at, 2, path.string());
        EXPECT_EQ(run(c.command, c.answer, path, c.display), c.result);
        EXPECT_EQ(filesIn(folder.path()), fs::exists(path) ? 1 : 0); // nothing left beside it
    }
}

TEST(WidgetMain, RewritesTheFileForEachEntryAsTimePasses) {
    platform::foundation::ScopedClock clock(Date::fromTimeIntervalSince1970(1'623'000'000));
    TemporaryDirectory folder;
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
    for (auto [family, shortName, declared, size] :
         {std::tuple{WidgetFamily::systemSmall, "small", "systemSmall", DisplaySize{170, 170}},
          {WidgetFamily::systemMedium, "medium", "systemMedium", DisplaySize{364, 170}},
          {WidgetFamily::systemLarge, "large", "systemLarge", DisplaySize{364, 382}}}) {
        EXPECT_EQ(name(family), declared);
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

TEST(StaleMark, LastUpdatedIsTheLocalTimeOfDay) {
    for (auto [zone, since1970, text] :
         {std::tuple{"Europe/Moscow", 1623369600.0, "Last updated 03:00"}, // 2021-06-11 00:00Z
          {"America/New_York", 1623369600.0, "Last updated 20:00"},
          {"Asia/Kolkata", 1623369659.0, "Last updated 05:30"},
          {"UTC", -61.0, "Last updated 23:58"}}) {
        platform::foundation::ScopedTimeZone scoped(zone);
        EXPECT_EQ(lastUpdatedText(Date::fromTimeIntervalSince1970(since1970)), text) << zone;
    }
}

// Equal fingerprints mean the file is not written again: any change must show in it.
TEST(PictureFingerprint, EveryFlippedBitAndEveryLengthChangesIt) {
    std::vector<std::uint8_t> bytes(77, 0x5A), zeros(77, 0);
    std::set<std::uint64_t> seen{pictureFingerprint(bytes)};
    for (std::size_t bit = 0; bit < bytes.size() * 8; ++bit) {
        bytes[bit / 8] ^= std::uint8_t(1u << bit % 8);
        seen.insert(pictureFingerprint(bytes));
        bytes[bit / 8] ^= std::uint8_t(1u << bit % 8);
    }
    for (std::size_t length = 0; length < zeros.size(); ++length)
        seen.insert(pictureFingerprint(std::span(zeros).first(length)));
    EXPECT_EQ(seen.size(), 1 + bytes.size() * 8 + zeros.size());
}

// A file's inode, modification time and permission bits; zeros when there is none.
auto identity(const fs::path& file) {
    struct stat s {};
    ::stat(file.c_str(), &s);
    return std::tuple(s.st_ino, s.st_mtim.tv_sec, s.st_mtim.tv_nsec, s.st_mode & 0777);
}

TEST(FilePresenter, WritesAPictureOnlyWhenItOrTheFileChanged) {
    struct Case {
        const char* name;
        bool red, stale;
        std::function<void(const fs::path&)> meanwhile; // done to the file between the two
        bool rewritten;
        const char* file = "w.png";
    } cases[] = {
        {"the same picture", false, false, {}, false},
        {"another colour", true, false, {}, true},
        {"now stale", false, true, {}, true},
        {"the file removed", false, false, [](auto& p) { fs::remove(p); }, true},
        {"the file replaced", false, false,
         [](auto& p) { fs::copy_file(p, p.string() + "~"), fs::rename(p.string() + "~", p); },
         true},
        {"the file cut short", false, false, [](auto& p) { fs::resize_file(p, 10); }, true},
        // Vector files never come out the same twice: written each time.
        {"the same svg", false, false, {}, true, "w.svg"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TemporaryDirectory folder;
        const auto path = folder.path() / c.file;
        FilePresenter presenter(path, WidgetFamily::systemSmall, 2);
        ASSERT_EQ(presenter.present(ui::View(ui::Color::blue), {}), std::nullopt);
        if (c.meanwhile)
            c.meanwhile(path);
        const auto before = identity(path);
        Presentation second{.stale = c.stale};
        ASSERT_EQ(presenter.present(ui::View(c.red ? ui::Color::red : ui::Color::blue), second),
                  std::nullopt);
        EXPECT_EQ(identity(path) != before, c.rewritten);
        if (path.extension() == ".png") { // rounded corners, the badge when stale, the content
            EXPECT_EQ(describe(path, 1, 1), "png 340x340 00000000");
            EXPECT_EQ(describe(path, 2 * (170 - 14), 2 * 14) == blue, !c.stale && !c.red);
            EXPECT_EQ(describe(path), c.red ? red : blue);
        }
    }
}

TEST(FilePresenter, AFailedPictureLeavesTheLastGoodOneAndTheNextIsWritten) {
    TemporaryDirectory folder;
    const auto path = folder.path() / "w.png";
    FilePresenter presenter(path, WidgetFamily::systemSmall, 2);
    ASSERT_EQ(presenter.present(ui::View(ui::Color::blue), {}), std::nullopt);
    // The disk fills up part way through the next picture.
    auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{}, tight{256, 0};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    tight.rlim_max = saved.rlim_max;
    ::setrlimit(RLIMIT_FSIZE, &tight);
    auto error = presenter.present(ui::View(ui::Color::red), {});
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    EXPECT_EQ(error, "cannot write " + path.string() + ": File too large");
    EXPECT_EQ(describe(path), blue);
    EXPECT_EQ(filesIn(folder.path()), 1);
    EXPECT_EQ(presenter.present(ui::View(ui::Color::red), {}), std::nullopt);
    EXPECT_EQ(describe(path), red);
}

TEST(AtomicFile, ReplacesTheWholeFileAndKeepsItsPermissions) {
    TemporaryDirectory folder;
    const auto path = folder.path() / (std::string(240, 'n') + ".png"); // near the name limit
    EXPECT_EQ(writeFileAtomically(path, "first version, longer"), std::nullopt);
    EXPECT_EQ(std::get<3>(identity(path)), 0644u); // pictures are for everyone to read
    ::chmod(path.c_str(), 0640);
    EXPECT_EQ(writeFileAtomically(path, "second"), std::nullopt);
    EXPECT_EQ(trelvo::test::readFile(path), "second");
    EXPECT_EQ(std::get<3>(identity(path)), 0640u);
    EXPECT_EQ(filesIn(folder.path()), 1);
    // A folder in the file's place: the rename fails once the new file is written.
    const auto taken = folder.path() / "taken.png";
    fs::create_directories(taken / "inside");
    auto error = writeFileAtomically(taken, "new");
    ASSERT_TRUE(error);
    EXPECT_EQ(error->message, "cannot replace " + taken.string() + ": Is a directory");
    EXPECT_TRUE(fs::is_directory(taken / "inside"));
    EXPECT_EQ(filesIn(folder.path()), 2);
}

} // namespace
