// The sleep monitor on a private bus standing in for the system bus, the test standing in for
// logind: a resume is heard, and heard again once the bus has been restarted under the monitor.

#include "platform/widget/SleepMonitor.h"
#include "tests/support/ChildProgram.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TemporaryDirectory.h"

#include <chrono>
#include <csignal>
#include <gtest/gtest.h>
#include <memory>
#include <optional>

namespace {

using namespace std::chrono_literals;
using platform::widget::SleepMonitor;
using trelvo::test::ChildProgram;

void closeConnection(GDBusConnection* connection) {
    g_dbus_connection_close_sync(connection, nullptr, nullptr);
    g_object_unref(connection);
}

// The system bus at a fixed socket, so that it can be restarted where clients look for it
// (tests/support's PrivateSystemBus takes a new address each time it starts).
class RestartableSystemBus {
public:
    explicit RestartableSystemBus(const std::filesystem::path& folder)
        : folder_(folder)
        , address_("unix:path=" + (folder / "system_bus_socket").string()) {
        start();
    }

    void start() {
        daemon_.emplace(std::vector<std::string>{"dbus-daemon", "--session", "--nofork",
                                                 "--nopidfile", "--address=" + address_,
                                                 "--print-address=1"},
                        folder_);
        if (!daemon_->waitForLine("", 10s)) {
            return;
        }
        GDBusConnection* connection = g_dbus_connection_new_for_address_sync(
            address_.c_str(),
            static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                              G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
            nullptr, nullptr, nullptr);
        if (!connection) {
            return;
        }
        g_dbus_connection_set_exit_on_close(connection, FALSE);
        login_ = {connection, &closeConnection};
        GVariant* reply = g_dbus_connection_call_sync(
            connection, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
            "RequestName", g_variant_new("(su)", "org.freedesktop.login1", 4u /* DO_NOT_QUEUE */),
            G_VARIANT_TYPE("(u)"), G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, nullptr);
        if (reply) {
            g_variant_unref(reply);
        }
    }

    void stop() {
        login_.reset();
        daemon_->signal(SIGTERM);
        daemon_->waitForExit(5s);
    }

    bool ready() const { return static_cast<bool>(login_); }
    const std::string& address() const { return address_; }

    void announceResume() {
        g_dbus_connection_emit_signal(login_.get(), nullptr, "/org/freedesktop/login1",
                                      "org.freedesktop.login1.Manager", "PrepareForSleep",
                                      g_variant_new("(b)", FALSE), nullptr);
        g_dbus_connection_flush_sync(login_.get(), nullptr, nullptr);
    }

private:
    std::filesystem::path folder_;
    std::string address_;
    std::optional<ChildProgram> daemon_;
    std::unique_ptr<GDBusConnection, void (*)(GDBusConnection*)> login_{nullptr, nullptr};
};

// Runs the default context (the host's loop) until `heard` grows, repeating the resume meanwhile:
// the monitor connects and subscribes in the background, so the first words may go unheard.
bool resumeHeard(RestartableSystemBus& bus, const int& heard) {
    const int before = heard;
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (heard == before && std::chrono::steady_clock::now() < deadline) {
        bus.announceResume();
        const auto pause = std::chrono::steady_clock::now() + 20ms;
        while (heard == before && std::chrono::steady_clock::now() < pause) {
            g_main_context_iteration(nullptr, FALSE);
        }
    }
    return heard > before;
}

TEST(SleepMonitor, HearsResumeAgainOnceTheSystemBusIsBack) {
    trelvo::test::TemporaryDirectory folder("sleep-monitor");
    RestartableSystemBus bus(folder.path());
    ASSERT_TRUE(bus.ready()) << "no private bus: is dbus-daemon installed?";
    trelvo::test::ScopedEnv systemBus("DBUS_SYSTEM_BUS_ADDRESS", bus.address());
    int heard = 0;
    SleepMonitor monitor([&] { ++heard; }, {.first = 10ms, .most = 40ms});
    ASSERT_TRUE(resumeHeard(bus, heard));

    bus.stop();
    // A few attempts fail while the bus is away; the backoff keeps them apart.
    for (auto until = std::chrono::steady_clock::now() + 100ms;
         std::chrono::steady_clock::now() < until;) {
        g_main_context_iteration(nullptr, FALSE);
    }
    bus.start();

    ASSERT_TRUE(bus.ready());
    EXPECT_TRUE(resumeHeard(bus, heard)) << "no resume heard after the bus came back";
}

} // namespace
