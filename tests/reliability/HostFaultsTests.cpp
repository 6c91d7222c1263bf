// The widget host over a simulated day with providers that misbehave, the wall clock jumping
// under the countdown, and the user's zone changing while it runs. Time is the test clock's.

#include "countdown_widget/Provider.h"
#include "countdown_widget/VantorelWidget.h"
#include "platform/dispatch/DispatchQueue.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/TimeZone.h"
#include "platform/widget/TimelineHost.h"
#include "platform/widget/WidgetMain.h"
#include "platform/widget/WidgetPicture.h"
#include "tests/support/TemporaryDirectory.h"

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <future>
#include <gtest/gtest.h>
#include <iterator>
#include <map>
#include <thread>

namespace {

using namespace countdown_widget;
namespace fs = std::filesystem;
using namespace platform::widget;
using namespace std::chrono_literals;
using platform::dispatch::DispatchQueue;
using platform::foundation::Date;
using platform::foundation::ScopedClock;
using platform::foundation::ScopedTimeZone;

constexpr double minute = 60;
constexpr double hour = 3600;
constexpr double day = 24 * hour;
const Date t0 = Date::fromTimeIntervalSince1970(1'623'000'000);

// --- Providers that misbehave, over a simulated day ------------------------------------------

struct Tick {
    Date date;
    int asked = 0;
};

using TickTimeline = Timeline<Tick>;
using Completion = std::function<void(TickTimeline)>;

enum class Behaviour {
    neverAnswers,
    answersTwice,
    answersAfterTheRetry, // each answer comes a minute and a half after it was asked for
    reloadInThePast,
    emptyTimeline,
};

struct Answer {
    Date due;
    Completion done;
    TickTimeline timeline;
};

struct Script {
    Behaviour behaviour;
    std::vector<Date> asked;
    std::vector<Completion> unanswered;
    std::vector<Answer> answers;
};

struct ScriptedProvider {
    std::shared_ptr<Script> script;

    Tick placeholder(const TimelineProviderContext&) const { return {Date::now(), 0}; }
    void getSnapshot(const TimelineProviderContext&, std::function<void(Tick)> done) const {
        done({Date::now(), 0});
    }
    void getTimeline(const TimelineProviderContext&, Completion done) const {
        auto now = Date::now();
        script->asked.push_back(now);
        int asked = static_cast<int>(script->asked.size());
        TickTimeline hourly{{Tick{now, asked}},
                            TimelineReloadPolicy::after(now.addingTimeInterval(hour))};
        switch (script->behaviour) {
        case Behaviour::neverAnswers:
            script->unanswered.push_back(std::move(done));
            break;
        case Behaviour::answersTwice:
            done(hourly);
            done(hourly);
            break;
        case Behaviour::answersAfterTheRetry:
            script->answers.push_back(
                Answer{now.addingTimeInterval(1.5 * minute), std::move(done), hourly});
            break;
        case Behaviour::reloadInThePast:
            done({{Tick{now, asked}}, TimelineReloadPolicy::after(now.addingTimeInterval(-hour))});
            break;
        case Behaviour::emptyTimeline:
            done({{}, TimelineReloadPolicy::atEnd()});
            break;
        }
    }
};

std::optional<Date> earliest(std::optional<Date> a, std::optional<Date> b) {
    if (!a || !b) {
        return a ? a : b;
    }
    return std::min(*a, *b);
}

// Runs the host from t0 for a day: the clock goes straight to the next thing due, the host's
// wake-up or a provider's late answer.
void simulateADay(const std::shared_ptr<Script>& shared) {
    auto& script = *shared;
    ScopedClock clock(t0);
    std::optional<Date> wake;
    TimelineHost<ScriptedProvider>::Hooks hooks;
    hooks.sleepUntil = [&](std::optional<Date> at) { wake = at; };
    TimelineHost host(ScriptedProvider{shared}, {}, std::move(hooks));
    host.start();
    DispatchQueue::main().drain();
    for (int events = 0; events < 100'000; ++events) {
        std::optional<Date> next = wake;
        for (const auto& answer : script.answers) {
            next = earliest(next, answer.due);
        }
        if (!next || *next > t0.addingTimeInterval(day)) {
            return;
        }
        clock.set(std::max(*next, clock.now()));
        auto due = std::stable_partition(script.answers.begin(), script.answers.end(),
                                         [&](const Answer& a) { return a.due > clock.now(); });
        std::vector<Answer> arriving(std::make_move_iterator(due),
                                     std::make_move_iterator(script.answers.end()));
        script.answers.erase(due, script.answers.end());
        for (auto& answer : arriving) {
            answer.done(answer.timeline);
        }
        if (wake && *wake <= clock.now()) {
            wake.reset();
            host.wake();
        }
        DispatchQueue::main().drain();
    }
    FAIL() << "the host never settled";
}

double shortestGap(const std::vector<Date>& asked) {
    double shortest = day;
    for (std::size_t i = 1; i < asked.size(); ++i) {
        shortest = std::min(shortest, asked[i].timeIntervalSince(asked[i - 1]));
    }
    return shortest;
}

struct DayCase {
    const char* name;
    Behaviour behaviour;
    std::size_t mostRequests; // in the day, the first at t0 included
    double shortestGap;       // seconds between two requests, at least
};

void PrintTo(const DayCase& c, std::ostream* out) {
    *out << c.name;
}

class ProviderOverADay : public testing::TestWithParam<DayCase> {
protected:
    void SetUp() override { DispatchQueue::main().drain(); }
    void TearDown() override { DispatchQueue::main().drain(); }
};

TEST_P(ProviderOverADay, RequestsStayWithinTheBackoffAndTheReloadFloor) {
    auto shared = std::make_shared<Script>(Script{GetParam().behaviour});
    const auto& script = *shared;

    simulateADay(shared);
    RecordProperty("requests", static_cast<int>(script.asked.size()));

    EXPECT_GE(script.asked.size(), 2u) << "the host gave up asking";
    EXPECT_LE(script.asked.size(), GetParam().mostRequests);
    EXPECT_GE(shortestGap(script.asked), GetParam().shortestGap);
}

INSTANTIATE_TEST_SUITE_P(
    Behaviours, ProviderOverADay,
    testing::Values(
        // Retries after 1, 2, 4 and 8 minutes, then every 15: about a hundred, none piled up.
        DayCase{"NeverAnswers", Behaviour::neverAnswers, 5 + 24 * 4, minute},
        DayCase{"AnswersTwice", Behaviour::answersTwice, 25, hour},
        // The retry at one minute goes out before the first answer; both answers count once.
        DayCase{"AnswersAfterTheRetry", Behaviour::answersAfterTheRetry, 2 * 25, minute},
        // A provider cannot make the host spin: a minute between requests at the least.
        DayCase{"ReloadInThePast", Behaviour::reloadInThePast, 24 * 60 + 1, minute},
        DayCase{"EmptyTimeline", Behaviour::emptyTimeline, 24 * 60 + 1, minute}),
    [](const auto& info) { return std::string(info.param.name); });

// --- The countdown, in a host of its own -----------------------------------------------------

struct CountdownHostTest : testing::Test {
    void SetUp() override { DispatchQueue::main().drain(); }
    void TearDown() override { DispatchQueue::main().drain(); }
};

TEST_F(CountdownHostTest, AZoneChangedWhileRunningShowsAtTheNextRequest) {
    ScopedTimeZone moscow("Europe/Moscow");
    // 01:30 on the event day in Moscow, 22:30 on its eve in Reykjavik.
    ScopedClock clock(Date::fromTimeIntervalSince1970(Provider::eventDateSince1970 - 1.5 * hour));
    std::vector<std::int64_t> shown;
    std::optional<Date> wake;
    TimelineHost<Provider>::Hooks hooks;
    hooks.present = [&](const DaysUntilEntry& entry, const Presentation&) {
        shown.push_back(entry.daysUntil);
    };
    hooks.sleepUntil = [&](std::optional<Date> at) { wake = at; };
    TimelineHost host(Provider(), {}, std::move(hooks));
    host.start();
    DispatchQueue::main().drain();
    ASSERT_EQ(shown.back(), 0);

    ScopedTimeZone reykjavik("Atlantic/Reykjavik");
    clock.advance(minute);
    host.wake();
    DispatchQueue::main().drain();
    EXPECT_EQ(shown.back(), 0) << "the shown entry is the last request's";

    ASSERT_TRUE(wake);
    clock.set(*wake);
    host.wake();
    DispatchQueue::main().drain();
    EXPECT_EQ(shown.back(), 1);
}

std::string readFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool eventually(const std::function<bool()>& condition) {
    auto deadline = std::chrono::steady_clock::now() + 15s;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(5ms); // the host draws on its own loop, in real time
    }
    return true;
}

// The pictures of some day counts, drawn on the host's loop, with the resources it has set.
std::map<std::int64_t, std::string> picturesOf(std::vector<std::int64_t> counts) {
    std::promise<std::map<std::int64_t, std::string>> drawn;
    DispatchQueue::main().async([&] {
        std::map<std::int64_t, std::string> pictures;
        auto size = displaySize(WidgetFamily::systemSmall);
        for (auto count : counts) {
            auto bytes = encodeWidget(OutputFormat::png,
                                      VantorelWidget::content(DaysUntilEntry{Date::now(), count}),
                                      {size.width, size.height}, 1, false);
            pictures[count] = bytes ? std::string(bytes->begin(), bytes->end()) : "";
        }
        drawn.set_value(std::move(pictures));
    });
    auto future = drawn.get_future();
    if (future.wait_for(15s) != std::future_status::ready) {
        return {};
    }
    return future.get();
}

// Runs the countdown's host in this process, drawing into a file, until the script ends.
int runCountdownWhile(const fs::path& file, std::function<void()> script) {
    std::thread scripting([script = std::move(script)] {
        script();
        DispatchQueue::main().async([] { std::raise(SIGTERM); });
    });
    std::vector<std::string> args{"VantorelWidgetExtension", "--output", file.string()};
    std::vector<char*> argv{args[0].data(), args[1].data(), args[2].data(), nullptr};
    int status = platform::widget::main<VantorelWidget>(3, argv.data());
    scripting.join();
    return status;
}

TEST_F(CountdownHostTest, WallClockJumpsOfADayEitherWayAreShownAtOnce) {
    ::unsetenv("DISPLAY");
    ::unsetenv("WAYLAND_DISPLAY");
    ScopedTimeZone utc("UTC");
    ScopedClock clock(Date::fromTimeIntervalSince1970(Provider::eventDateSince1970 - 2 * day));
    trelvo::test::TemporaryDirectory folder("reliability-countdown");
    auto file = folder.path() / "countdown.png";

    int status = runCountdownWhile(file, [&] {
        auto pictures = picturesOf({1, 2, 3});
        ASSERT_EQ(pictures.size(), 3u);
        auto shows = [&](std::int64_t count) {
            return eventually([&] { return readFile(file) == pictures[count]; });
        };
        ASSERT_TRUE(shows(2));
        // The hourly reload is never reached: each jump alone must bring the new count.
        clock.advance(day);
        EXPECT_TRUE(shows(1)) << "forward a day";
        clock.advance(-day);
        EXPECT_TRUE(shows(2)) << "back a day";
        clock.advance(-day);
        EXPECT_TRUE(shows(3)) << "back another day";
    });

    EXPECT_EQ(status, 0);
}

} // namespace
