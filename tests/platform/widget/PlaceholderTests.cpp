// The host's placeholder is drawn as a placeholder (redacted) until the first entry, and says so
// when no answer has ever come; a snapshot is drawn as it is.

#include "platform/foundation/LinePrinter.h"
#include "platform/ui/Text.h"
#include "platform/widget/TimelineSchedule.h"
#include "platform/widget/WidgetMain.h"
#include "tests/support/TemporaryDirectory.h"

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <sstream>

namespace {

namespace fs = std::filesystem;
namespace ui = platform::ui;
using namespace platform::widget;
using platform::dispatch::DispatchQueue;
using platform::foundation::Date;

const Date t0 = Date::fromTimeIntervalSince1970(1'623'000'000);

Date at(double seconds) {
    return t0.addingTimeInterval(seconds);
}

TimelinePlan entriesAt(std::vector<double> offsets) {
    TimelinePlan plan{{}, TimelineReloadPolicy::never()};
    for (double offset : offsets) {
        plan.entryDates.push_back(at(offset));
    }
    return plan;
}

TEST(PlaceholderPresentation, LastsUntilAnEntryIsDueAndIsStaleWhenNoAnswerEverCame) {
    struct Case {
        const char* name;
        std::function<void(TimelineSchedule&)> events; // after start(t0), which sends request 1
        bool placeholder;
        bool stale;
        bool answered; // lastUpdated set
    };
    const Case cases[] = {
        {"just started", [](TimelineSchedule&) {}, true, false, false},
        {"the first request unanswered when it is asked again",
         [](TimelineSchedule& s) { s.advance(at(60)); }, true, true, false},
        {"the retry answered",
         [](TimelineSchedule& s) {
             s.advance(at(60));
             s.receive(2, entriesAt({60}), at(61));
         },
         false, false, true},
        {"answered with entries still to come",
         [](TimelineSchedule& s) { s.receive(1, entriesAt({3600}), at(1)); }, true, false, true},
        {"answered with nothing", [](TimelineSchedule& s) { s.receive(1, entriesAt({}), at(1)); },
         true, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TimelineSchedule schedule;
        schedule.start(t0);
        c.events(schedule);
        EXPECT_EQ(schedule.presentation().placeholder, c.placeholder);
        EXPECT_EQ(schedule.presentation().stale, c.stale);
        EXPECT_EQ(schedule.presentation().lastUpdated.has_value(), c.answered);
    }
}

struct WordEntry {
    Date date;
    std::string word;
};

// The timeline request's completion, answered when the test says.
std::function<void(Timeline<WordEntry>)>& heldAnswer() {
    static std::function<void(Timeline<WordEntry>)> answer;
    return answer;
}

struct WordProvider {
    WordEntry placeholder(const TimelineProviderContext&) const { return {Date::now(), "----"}; }
    void getSnapshot(const TimelineProviderContext&, std::function<void(WordEntry)> done) const {
        done({Date::now(), "snapshot"});
    }
    void getTimeline(const TimelineProviderContext&,
                     std::function<void(Timeline<WordEntry>)> done) const {
        heldAnswer() = std::move(done);
    }
};

struct WordWidget {
    const std::string kind = "WordWidget";
    auto body() const {
        return StaticConfiguration(kind, WordProvider(), [](const WordEntry& entry) {
            return ui::View(ui::Text::verbatim(entry.word).foregroundColor(ui::Color::white));
        });
    }
};

int runHost(std::vector<std::string> args) {
    args.insert(args.begin(), "word-widget");
    std::vector<char*> argv;
    for (auto& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    platform::foundation::ScopedLineCapture quiet;
    return platform::widget::main<WordWidget>(int(args.size()), argv.data());
}

// Cairo writes text into SVG as glyph symbols; a redacted picture has none.
bool hasGlyphs(const fs::path& svg) {
    std::ifstream in(svg);
    std::stringstream text;
    text << in.rdbuf();
    return text.str().find("glyph") != std::string::npos;
}

class PlaceholderHostTest : public testing::Test {
protected:
    void SetUp() override {
        ::unsetenv("DISPLAY");
        ::unsetenv("WAYLAND_DISPLAY");
    }

    trelvo::test::TemporaryDirectory folder{"placeholder-host"};
    fs::path svg = folder.path() / "w.svg";
};

TEST_F(PlaceholderHostTest, APlaceholderPictureIsRedactedAndASnapshotIsNot) {
    struct Case {
        const char* option;
        bool glyphs;
    };
    for (const auto& c : {Case{"--placeholder", false}, Case{"--snapshot", true}}) {
        SCOPED_TRACE(c.option);
        ASSERT_EQ(runHost({c.option, "--output", svg.string()}), 0);
        EXPECT_EQ(hasGlyphs(svg), c.glyphs);
    }
}

TEST_F(PlaceholderHostTest, TheRunningHostRedactsItsPlaceholderUntilTheFirstEntry) {
    std::vector<bool> glyphs;
    auto& main = DispatchQueue::main();
    main.async([&] { // the host has started and shown its placeholder
        glyphs.push_back(hasGlyphs(svg));
        heldAnswer()(
            Timeline{std::vector{WordEntry{Date::now(), "1 500"}}, TimelineReloadPolicy::never()});
        main.async([&] { // the host has taken the answer
            glyphs.push_back(hasGlyphs(svg));
            std::raise(SIGTERM);
        });
    });
    EXPECT_EQ(runHost({"--output", svg.string()}), 0);
    EXPECT_EQ(glyphs, (std::vector{false, true}));
}

} // namespace
