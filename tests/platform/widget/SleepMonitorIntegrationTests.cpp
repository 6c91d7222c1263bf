// The sleep monitor on a private bus standing in for the system bus, the test as logind: a
// resume is heard, and heard again once the bus has been restarted under the monitor.

#include "platform/widget/SleepMonitor.h"
#include "tests/support/ChildProgram.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TemporaryDirectory.h"

#include <csignal>
#include <gtest/gtest.h>
#include <optional>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// A system bus at a fixed socket, so that it can come back where clients look for it
// (PrivateSystemBus takes a new address each time it starts).
class RestartableSystemBus {
public:
    explicit RestartableSystemBus(const std::filesystem::path& folder)
        : folder_(folder)
        , address_("unix:path=" + (folder / "system_bus").string())
        , named_("DBUS_SYSTEM_BUS_ADDRESS", address_) {}
    ~RestartableSystemBus() { stop(); }

    // Starts the daemon and takes logind's name on it.
    bool start() {
        daemon_.emplace(std::vector<std::string>{"dbus-daemon", "--session", "--nofork",
                                                 "--nopidfile", "--address=" + address_,
                                                 "--print-address=1"},
                        folder_);
        login_.reset(daemon_->waitForLine("", 10s)
                         ? g_dbus_connection_new_for_address_sync(
                               address_.c_str(),
                               GDBusConnectionFlags(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                                    G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
                               nullptr, nullptr, nullptr)
                         : nullptr);
        GVariant* owner =
            login_ ? g_dbus_connection_call_sync(
                         login_.get(), "org.freedesktop.DBus", "/org/freedesktop/DBus",
                         "org.freedesktop.DBus", "RequestName",
                         g_variant_new("(su)", "org.freedesktop.login1", 0u), G_VARIANT_TYPE("(u)"),
                         G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, nullptr)
                   : nullptr;
        if (owner) {
            g_variant_unref(owner);
        }
        return owner != nullptr;
    }
    void stop() {
        login_.reset();
        if (daemon_) {
            daemon_->signal(SIGTERM); // as a restart of dbus does, leaving no socket behind
            daemon_->waitForExit(5s);
        }
    }
    void announceResume() {
        if (!login_) {
            return;
        }
        g_dbus_connection_emit_signal(login_.get(), nullptr, "/org/freedesktop/login1",
                                      "org.freedesktop.login1.Manager", "PrepareForSleep",
                                      g_variant_new("(b)", FALSE), nullptr);
    }

private:
    std::filesystem::path folder_;
    std::string address_;
    trelvo::test::ScopedEnv named_;
    std::optional<trelvo::test::ChildProgram> daemon_;
    platform::widget::GObjectPtr<GDBusConnection> login_;
};

// Runs the loop while saying "resumed" until the monitor hears it: it connects and subscribes
// in the background, so the first words may go unheard.
bool heardWithin(std::chrono::milliseconds limit, RestartableSystemBus& bus, const int& heard) {
    const int before = heard;
    for (auto deadline = Clock::now() + limit; heard == before && Clock::now() < deadline;) {
        bus.announceResume();
        for (auto pause = Clock::now() + 20ms; heard == before && Clock::now() < pause;) {
            g_main_context_iteration(nullptr, FALSE);
        }
    }
    return heard > before;
}

TEST(SleepMonitor, HearsResumeAgainOnceTheSystemBusIsBack) {
    trelvo::test::TemporaryDirectory folder("sleep-monitor");
    RestartableSystemBus bus(folder.path());
    ASSERT_TRUE(bus.start()) << "no private bus: is dbus-daemon installed?";
    int heard = 0;
    platform::widget::SleepMonitor monitor([&] { ++heard; }, {.first = 10ms, .most = 40ms});
    ASSERT_TRUE(heardWithin(10s, bus, heard));

    bus.stop();
    EXPECT_FALSE(heardWithin(100ms, bus, heard)); // a few attempts fail meanwhile
    ASSERT_TRUE(bus.start());
    EXPECT_TRUE(heardWithin(10s, bus, heard)) << "no resume heard after the bus came back";
}

} // namespace
