// The widget host in this process, told by "logind" on a private system bus that the machine
// has woken: it asks again at once when a reload date passed while it slept, and carries on
// when the bus itself goes away.

#include "platform/dispatch/DispatchQueue.h"
#include "platform/foundation/Clock.h"
#include "platform/ui/Color.h"
#include "platform/widget/WidgetMain.h"
#include "tests/support/PrivateSystemBus.h"
#include "tests/support/TemporaryDirectory.h"

#include <atomic>
#include <condition_variable>
#include <csignal>
#include <cstdlib>
#include <gtest/gtest.h>
#include <mutex>
#include <optional>
#include <thread>

namespace {

namespace ui = platform::ui;
using namespace platform::widget;
using namespace std::chrono_literals;
using platform::dispatch::DispatchQueue;
using platform::foundation::Date;
using platform::foundation::ScopedClock;
using trelvo::test::PrivateSystemBus;

constexpr double hour = 3600;

// Every timeline request of the process, for the script to wait on.
struct Requests {
    std::mutex lock;
    std::condition_variable changed;
    int count = 0;

    void reset() {
        std::lock_guard guard(lock);
        count = 0;
    }
    void add() {
        std::lock_guard guard(lock);
        ++count;
        changed.notify_all();
    }
    // Waits for `atLeast` requests, doing `meanwhile` between looks; false past the limit.
    bool waitFor(
        int atLeast, const std::function<void()>& meanwhile = [] {}) {
        auto deadline = std::chrono::steady_clock::now() + 10s;
        std::unique_lock guard(lock);
        while (count < atLeast) {
            if (std::chrono::steady_clock::now() > deadline) {
                return false;
            }
            guard.unlock();
            meanwhile();
            guard.lock();
            changed.wait_for(guard, 50ms, [&] { return count >= atLeast; });
        }
        return true;
    }
};

Requests& requests() {
    static Requests all;
    return all;
}

// Timeline entries drawn: the host has taken the answer and planned from it.
Requests& drawn() {
    static Requests all;
    return all;
}

struct HourlyEntry {
    Date date;
    bool fromTimeline = false;
};

struct HourlyProvider {
    HourlyEntry placeholder(const TimelineProviderContext&) const { return {Date::now()}; }
    void getSnapshot(const TimelineProviderContext&, std::function<void(HourlyEntry)> done) const {
        done({Date::now()});
    }
    void getTimeline(const TimelineProviderContext&,
                     std::function<void(Timeline<HourlyEntry>)> done) const {
        requests().add();
        done(Timeline{std::vector{HourlyEntry{Date::now(), true}},
                      TimelineReloadPolicy::after(Date::now().addingTimeInterval(hour))});
    }
};

struct HourlyWidget {
    const std::string kind = "HourlyWidget";
    auto body() const {
        return StaticConfiguration(kind, HourlyProvider(),
                                   [](const HourlyEntry& entry) {
                                       if (entry.fromTimeline) {
                                           drawn().add();
                                       }
                                       return ui::View(ui::Color::blue);
                                   })
            .configurationDisplayName("Hourly");
    }
};

// Returns once the host's loop has finished what it was doing: it then sleeps until its
// next deadline, armed from the clock as it was.
bool hostSettled() {
    auto settled = std::make_shared<Requests>();
    DispatchQueue::main().async([settled] { settled->add(); });
    return settled->waitFor(1);
}

// Runs the host, drawing into a file, while the script runs on its own thread; the host's
// status, or nullopt when it ended before the script did.
std::optional<int> runHostWhile(const std::filesystem::path& file, std::function<void()> script) {
    // Main thread only: the block that ends the host runs on its loop, or after it, not at all.
    bool hostRunning = true;
    std::atomic<bool> scriptDone = false;
    std::thread scripting([&] {
        script();
        scriptDone = true;
        DispatchQueue::main().async([&hostRunning] {
            if (hostRunning) {
                std::raise(SIGTERM);
            }
        });
    });
    std::vector<std::string> args{"hourly-widget", "--output", file.string()};
    std::vector<char*> argv{args[0].data(), args[1].data(), args[2].data(), nullptr};
    int status = platform::widget::main<HourlyWidget>(3, argv.data());
    bool endedFirst = !scriptDone;
    scripting.join();
    hostRunning = false;
    DispatchQueue::main().drain();
    return endedFirst ? std::nullopt : std::optional(status);
}

class ResumeTest : public testing::Test {
protected:
    void SetUp() override {
        ::unsetenv("DISPLAY");
        ::unsetenv("WAYLAND_DISPLAY");
        ASSERT_TRUE(bus.ready()) << "no private bus: is dbus-daemon installed?";
        requests().reset();
        drawn().reset();
    }

    trelvo::test::TemporaryDirectory folder{"reliability-resume"};
    PrivateSystemBus bus{folder.path()};
    std::filesystem::path file = folder.path() / "hourly.png";
};

TEST_F(ResumeTest, AReloadDateThatPassedInSuspendIsAskedForOnResume) {
    std::optional<ScopedClock> clock;

    auto status = runHostWhile(file, [&] {
        ASSERT_TRUE(drawn().waitFor(1) && hostSettled());
        // Two hours pass in suspend: the wall clock is not set, so no timer says so; only
        // logind's word that the machine woke does. (The host subscribes to it in the
        // background, so the word is repeated until it is heard.)
        clock.emplace(Date::now().addingTimeInterval(2 * hour));
        EXPECT_TRUE(requests().waitFor(2, [&] { bus.announceSleep(false); }))
            << "no request after resume";
    });

    EXPECT_EQ(status, 0) << "the host ended before it was told to";
}

TEST_F(ResumeTest, TheSystemBusGoingAwayLeavesTheHostRunning) {
    std::optional<ScopedClock> clock;

    auto status = runHostWhile(file, [&] {
        ASSERT_TRUE(drawn().waitFor(1) && hostSettled());
        clock.emplace(Date::now().addingTimeInterval(2 * hour));
        ASSERT_TRUE(requests().waitFor(2, [&] { bus.announceSleep(false); }))
            << "no request after resume";
        ASSERT_TRUE(drawn().waitFor(2) && hostSettled());

        bus.stop(); // a restart of the system's bus, an upgrade of dbus

        // Still there and still keeping time: the next reload comes when it is due.
        clock->advance(2 * hour);
        EXPECT_TRUE(requests().waitFor(3)) << "no request after the bus went away";
    });

    EXPECT_EQ(status, 0) << "the host ended before it was told to";
}

} // namespace
