#include "app/TrelvoResultsApp.h"
#include "platform/foundation/LinePrinter.h"
#include "platform/notify/UNUserNotificationCenter.h"
#include "tests/support/CapturingNotificationServer.h"
#include "tests/support/PrivateSessionBus.h"
#include "tests/support/ScopedEnv.h"

#include <chrono>
#include <future>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <optional>

namespace {

using namespace platform::notify;
using platform::foundation::ScopedLineCapture;
using testing::ElementsAre;
using testing::IsEmpty;
using namespace std::chrono_literals;
using trelvo::test::CapturingNotificationServer;
using trelvo::test::NotificationServerOptions;
using trelvo::test::PrivateSessionBus;

const std::string bodyPrefix = "Для скачивания доступна новая версия ";

// The application's centre finishes its operations in the order they were asked for, so an
// operation of the test's own, once answered, means the application's earlier ones are too.
bool authorizationSettled() {
    auto done = std::make_shared<std::promise<void>>();
    auto settled = done->get_future();
    UNUserNotificationCenter::current().requestAuthorization(
        {UNAuthorizationOptions::alert}, [done](bool, auto) { done->set_value(); });
    return settled.wait_for(20s) == std::future_status::ready;
}

std::optional<std::vector<UNNotificationRequest>> pendingRequests() {
    auto done = std::make_shared<std::promise<std::vector<UNNotificationRequest>>>();
    auto pending = done->get_future();
    UNUserNotificationCenter::current().getPendingNotificationRequests(
        [done](auto requests) { done->set_value(std::move(requests)); });
    if (pending.wait_for(20s) != std::future_status::ready) {
        return std::nullopt;
    }
    return pending.get();
}

// First, while the centre has never connected: later suites leave it on their bus.
TEST(TrelvoResultsAppWithoutBus, AnAnnouncementThatCannotBeScheduledPrintsItsError) {
    trelvo::test::ScopedEnv noBus("DBUS_SESSION_BUS_ADDRESS",
                                  "unix:path=/nonexistent/trelvo-test-bus");
    ScopedLineCapture output;

    TrelvoResultsApp::notifyAboutNewVersion("2.0");
    auto pending = pendingRequests();

    ASSERT_TRUE(pending);
    EXPECT_THAT(*pending, IsEmpty());
    ASSERT_EQ(output.lines().size(), 1u);
    EXPECT_THAT(output.lines()[0], testing::StartsWith("Error "));
    EXPECT_GT(output.lines()[0].size(), std::string("Error ").size());
}

// One session bus for the suite: the application's centre keeps the connection it made first.
// Each test starts the notification server it needs.
class TrelvoResultsAppNotifications : public testing::Test {
protected:
    static void SetUpTestSuite() { bus_ = std::make_unique<PrivateSessionBus>(); }
    static void TearDownTestSuite() { bus_.reset(); }

    static std::unique_ptr<PrivateSessionBus> bus_;
    ScopedLineCapture output_;
};

std::unique_ptr<PrivateSessionBus> TrelvoResultsAppNotifications::bus_;

TEST_F(TrelvoResultsAppNotifications, AStartWithoutAServerPrintsTheRefusalOnce) {
    TrelvoResultsApp app;
    auto window = app.body().windowGroups.at(0).makeContent(); // asks nothing more

    ASSERT_TRUE(authorizationSettled());
    EXPECT_THAT(output_.lines(), ElementsAre("User has declined notifications"));
}

TEST_F(TrelvoResultsAppNotifications, AStartWithAServerIsGrantedSilently) {
    CapturingNotificationServer server;
    TrelvoResultsApp app;

    ASSERT_TRUE(authorizationSettled());
    EXPECT_THAT(output_.lines(), IsEmpty());
    EXPECT_EQ(server.count(), 0u) << "asking permission shows nothing";
}

struct VersionCase {
    const char* name;
    std::string version;
};

void PrintTo(const VersionCase& c, std::ostream* out) {
    *out << c.name;
}

class TrelvoResultsAppNewVersion : public TrelvoResultsAppNotifications,
                                   public testing::WithParamInterface<VersionCase> {};

TEST_P(TrelvoResultsAppNewVersion, SchedulesTheAnnouncementFiveSecondsOn) {
    CapturingNotificationServer server;

    TrelvoResultsApp::notifyAboutNewVersion(GetParam().version);

    auto pending = pendingRequests();
    ASSERT_TRUE(pending);
    ASSERT_EQ(pending->size(), 1u);
    const auto& request = pending->front();
    EXPECT_EQ(request.identifier, "Local Notification");
    EXPECT_EQ(request.content.title, "Новая версия!");
    EXPECT_EQ(request.content.body, bodyPrefix + GetParam().version);
    EXPECT_EQ(request.content.sound, UNNotificationSound::defaultSound());
    ASSERT_TRUE(request.trigger);
    EXPECT_EQ(request.trigger->timeInterval(), 5.0);
    EXPECT_FALSE(request.trigger->repeats());
    EXPECT_THAT(output_.lines(), IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(Versions, TrelvoResultsAppNewVersion,
                         testing::Values(VersionCase{"Plain", "2.0"}, VersionCase{"Empty", ""},
                                         VersionCase{"Markup", "<b>2.0</b> & more"},
                                         VersionCase{"Lines", "2.0\n\nbeta"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(TrelvoResultsAppNotifications, ALaterAnnouncementReplacesThePendingOne) {
    CapturingNotificationServer server;

    TrelvoResultsApp::notifyAboutNewVersion("2.0");
    TrelvoResultsApp::notifyAboutNewVersion("2.1");

    auto pending = pendingRequests();
    ASSERT_TRUE(pending);
    ASSERT_EQ(pending->size(), 1u);
    EXPECT_EQ(pending->front().content.body, bodyPrefix + "2.1");
    EXPECT_THAT(output_.lines(), IsEmpty()) << "a replaced request is not a failure";
}

} // namespace
