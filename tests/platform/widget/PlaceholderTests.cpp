// The host draws its placeholder as a placeholder (redacted) until the first entry, and marks it
// stale when no answer has ever come; a snapshot is drawn as it is. (The running host and the
// one-off pictures present through the same FilePresenter.)

#include "platform/foundation/LinePrinter.h"
#include "platform/ui/Text.h"
#include "platform/widget/WidgetMain.h"
#include "tests/support/TemporaryDirectory.h"

#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace {

using namespace platform::widget;
using platform::foundation::Date;

TEST(PlaceholderPresentation, LastsUntilAnEntryIsDueAndIsStaleWhenNoAnswerEverCame) {
    const Date t0 = Date::fromTimeIntervalSince1970(1'623'000'000);
    const auto entryAt = [&](double offset) {
        return TimelinePlan{{t0.addingTimeInterval(offset)}, TimelineReloadPolicy::never()};
    };
    struct Case {
        const char* name;
        std::function<void(TimelineSchedule&)> events; // after start(t0), which sent request 1
        bool placeholder, stale, answered;
    };
    const Case cases[] = {
        {"just started", [](TimelineSchedule&) {}, true, false, false},
        {"unanswered when asked again", [&](auto& s) { s.advance(t0.addingTimeInterval(60)); },
         true, true, false},
        {"the second request answered",
         [&](auto& s) {
             s.advance(t0.addingTimeInterval(60));
             s.receive(2, entryAt(60), t0.addingTimeInterval(61));
         },
         false, false, true},
        {"answered with an entry to come", [&](auto& s) { s.receive(1, entryAt(3600), t0); }, true,
         false, true},
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

struct WordProvider {
    WordEntry placeholder(const TimelineProviderContext&) const { return {Date::now(), "----"}; }
    void getSnapshot(const TimelineProviderContext&, std::function<void(WordEntry)> done) const {
        done({Date::now(), "snapshot"});
    }
    void getTimeline(const TimelineProviderContext&,
                     std::function<void(Timeline<WordEntry>)>) const {}
};

struct WordWidget {
    const std::string kind = "WordWidget";
    auto body() const {
        return StaticConfiguration(kind, WordProvider(), [](const WordEntry& entry) {
            return platform::ui::View(platform::ui::Text::verbatim(entry.word));
        });
    }
};

// Cairo writes text into an SVG picture as glyph symbols: a redacted picture has none.
TEST(PlaceholderPicture, IsRedactedWhereASnapshotIsNot) {
    ::unsetenv("DISPLAY");
    ::unsetenv("WAYLAND_DISPLAY");
    trelvo::test::TemporaryDirectory folder("placeholder-picture");
    const auto svg = folder.path() / "w.svg";
    for (auto [option, glyphs] : {std::pair{"--placeholder", false}, {"--snapshot", true}}) {
        SCOPED_TRACE(option);
        std::string args[] = {"word-widget", option, "--output", svg.string()};
        char* argv[] = {args[0].data(), args[1].data(), args[2].data(), args[3].data(), nullptr};
        platform::foundation::ScopedLineCapture quiet;
        ASSERT_EQ(platform::widget::main<WordWidget>(4, argv), 0);
        std::stringstream text;
        text << std::ifstream(svg).rdbuf();
        EXPECT_EQ(text.str().find("glyph") != std::string::npos, glyphs);
    }
}

} // namespace
