#include "platform/foundation/Bundle.h"
#include "platform/notify/UNUserNotificationCenter.h"
#include "tests/support/CapturingNotificationServer.h"
#include "tests/support/PrivateSessionBus.h"
#include "tests/support/ScopedEnv.h"

#include <cmath>
#include <future>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace platform::notify;
using trelvo::test::CapturingNotificationServer;

namespace {

// What a call completed with; `thread` is where the completion ran.
struct Outcome {
    std::optional<UNError> error;
    bool granted = false;
    std::thread::id thread = std::this_thread::get_id();
};

// Starts calls and awaits the completion they hand `done` a generous while: a centre that never
// calls back fails the test instead of hanging it.
template <class T = Outcome, class Start> std::optional<T> await(Start start) {
    const auto promise = std::make_shared<std::promise<T>>();
    auto future = promise->get_future();
    start([promise](T value) { promise->set_value(std::move(value)); });
    if (future.wait_for(std::chrono::seconds(20)) != std::future_status::ready) {
        return std::nullopt;
    }
    return future.get();
}

// Short enough to wait for (the trigger counts real elapsed time), and never reached in a test.
constexpr double soon = 0.05, later = 3600;

UNNotificationRequest
request(std::string identifier, std::string body, std::optional<double> interval,
        std::optional<UNNotificationSound> sound = UNNotificationSound::defaultSound()) {
    return {std::move(identifier),
            {"Новая версия!", std::move(body), std::move(sound)},
            interval ? std::optional(UNTimeIntervalNotificationTrigger(*interval, false))
                     : std::nullopt};
}

class NotificationCenter : public testing::Test {
protected:
    std::optional<Outcome> add(UNNotificationRequest r) {
        return await([&](auto done) { center_->add(r, [done](auto error) { done({error}); }); });
    }
    std::string pending() {
        std::string names;
        using Requests = std::vector<UNNotificationRequest>;
        for (const auto& r : await<Requests>([&](auto done) {
                                 center_->getPendingNotificationRequests(done);
                             }).value_or(Requests{request("no answer", "", std::nullopt)})) {
            names += r.identifier + ":" + r.content.body + " ";
        }
        return names;
    }

    trelvo::test::PrivateSessionBus bus_;
    std::unique_ptr<UNUserNotificationCenter> center_ =
        std::make_unique<UNUserNotificationCenter>();
};

TEST_F(NotificationCenter, AuthorizationIsGrantedOnlyWhileAServerAnswers) {
    const auto authorize = [&] {
        return await([&](auto done) {
            center_->requestAuthorization(
                {UNAuthorizationOptions::alert, UNAuthorizationOptions::sound},
                [done](bool ok, auto error) {
                    done({error, ok});
                });
        });
    };
    const auto refused = authorize();
    ASSERT_TRUE(refused && refused->error && !refused->granted);
    EXPECT_THAT(refused->error->localizedDescription(),
                testing::AllOf(testing::StartsWith("No notification server answered on the "
                                                   "session bus: "),
                               testing::HasSubstr("org.freedesktop.Notifications")));
    CapturingNotificationServer server;
    const auto granted = authorize();
    ASSERT_TRUE(granted && granted->granted && !granted->error);
    EXPECT_NE(granted->thread, std::this_thread::get_id());
}

TEST_F(NotificationCenter, ADueRequestIsShownThroughNotifyAndReplacesItsEarlierSelfOnScreen) {
    CapturingNotificationServer server;
    ASSERT_TRUE(
        add(request("Local Notification", "Для скачивания доступна новая версия 2.0", soon)));
    ASSERT_TRUE(add(request("Local Notification", "silent", std::nullopt, std::nullopt)));
    ASSERT_TRUE(add(request("Other", "x", std::nullopt)));
    auto first = server.notification(0), second = server.notification(1),
         other = server.notification(2);
    ASSERT_TRUE(first && second && other);
    const auto identifier = platform::foundation::Bundle::main().bundleIdentifier();
    EXPECT_EQ(first->appName, "Trelvo Results");
    EXPECT_EQ(first->appIcon, identifier);
    EXPECT_EQ(first->summary, "Новая версия!");
    EXPECT_EQ(first->body, "Для скачивания доступна новая версия 2.0");
    EXPECT_EQ(first->replacesId, 0u);
    EXPECT_EQ(first->hints["sound-name"], "'message-new-instant'");
    EXPECT_EQ(first->hints["desktop-entry"], "'" + identifier + "'");
    EXPECT_EQ(second->replacesId, first->id);
    EXPECT_FALSE(second->hints.contains("sound-name"));
    EXPECT_EQ(second->hints["suppress-sound"], "true");
    EXPECT_EQ(other->replacesId, 0u);
    EXPECT_EQ(pending(), "");
}

// Completions run on the centre's one queue in the order the operations finish: the superseded
// request's, then the three listings'.
TEST_F(NotificationCenter, PendingRequestsWaitAndTheSameIdentifierReplacesThem) {
    CapturingNotificationServer server;
    std::string order; // written on the centre's queue, read once the last completion has run
    ASSERT_TRUE(await<bool>([&](auto done) {
        center_->add(request("Local Notification", "1.1", later),
                     [&](auto error) { order += error ? "refused " : "superseded "; });
        center_->add(request("Other", "x", later));
        center_->add(request("Local Notification", "1.2", later));
        for (int i = 0; i < 3; ++i) {
            center_->getPendingNotificationRequests([&, i](auto) { order += std::to_string(i); });
        }
        center_->getPendingNotificationRequests([done](auto) { done(true); });
    }));
    EXPECT_EQ(order, "superseded 012");
    EXPECT_EQ(pending(), "Other:x Local Notification:1.2 ");
    ASSERT_TRUE(add(request("Local Notification", "sooner", soon)));
    EXPECT_EQ(server.count(), 1u);
    EXPECT_EQ(server.notification(0)->body, "sooner");
    EXPECT_EQ(pending(), "Other:x ");
    // Dropped with a request pending for an hour and a call in flight: returns at once.
    center_->requestAuthorization({}, [](bool, auto) {});
    center_.reset();
}

TEST_F(NotificationCenter, TheBodyIsShownAsPlainTextWhateverTheServerReads) {
    for (auto [markup, sent] :
         {std::pair{false, "a < b & <b>c</b>"}, {true, "a &lt; b &amp; &lt;b&gt;c&lt;/b&gt;"}}) {
        center_ = std::make_unique<UNUserNotificationCenter>();
        CapturingNotificationServer server({.bodyMarkup = markup});
        ASSERT_TRUE(add(request("Local Notification", "a < b & <b>c</b>", std::nullopt)));
        EXPECT_EQ(server.notification(0)->body, sent) << (markup ? "markup" : "plain");
    }
}

TEST_F(NotificationCenter, FailuresComeBackThroughTheCompletionOffTheCallingThread) {
    // server: none, one that shows ("") or one that refuses with this reason.
    struct Case {
        double interval;
        bool repeats;
        const char *server, *bus, *description;
    } const cases[] = {
        {soon, false, nullptr, nullptr, "No notification server answered on the session bus"},
        {soon, false, "turned off", nullptr,
         "The notification server did not show the notification: turned off"},
        {later, false, nullptr, "unix:path=/nonexistent/bus", "The session bus is not available"},
        {59.9, true, "", nullptr,
         "The trigger's time interval must be more than 0 seconds, and at least 60 seconds when "
         "it repeats"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.description);
        std::optional<CapturingNotificationServer> server;
        if (c.server) {
            server.emplace(
                CapturingNotificationServer::Options{.refusal = *c.server ? c.server : nullptr});
        }
        std::optional<trelvo::test::ScopedEnv> noBus;
        if (c.bus) {
            noBus.emplace("DBUS_SESSION_BUS_ADDRESS", c.bus);
        }
        center_ = std::make_unique<UNUserNotificationCenter>();
        auto r = request("Local Notification", "1.2", std::nullopt);
        r.trigger.emplace(c.interval, c.repeats);
        const auto outcome = add(r);
        noBus.reset();
        ASSERT_TRUE(outcome && outcome->error);
        EXPECT_TRUE(outcome->error->localizedDescription().starts_with(c.description))
            << outcome->error->localizedDescription();
        EXPECT_NE(outcome->thread, std::this_thread::get_id());
        EXPECT_EQ(pending(), "");
    }
    for (auto [interval, repeats, valid] : {std::tuple{0.0, false, false},
                                            {-1.0, false, false},
                                            {double(NAN), false, false},
                                            {double(INFINITY), false, false},
                                            {0.001, false, true},
                                            {60.0, true, true}}) {
        EXPECT_EQ(UNTimeIntervalNotificationTrigger(interval, repeats).isValid(), valid)
            << interval;
    }
}

} // namespace
