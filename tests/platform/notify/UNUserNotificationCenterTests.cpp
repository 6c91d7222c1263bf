#include "platform/foundation/Bundle.h"
#include "platform/notify/UNUserNotificationCenter.h"
#include "tests/support/CapturingNotificationServer.h"
#include "tests/support/PrivateSessionBus.h"
#include "tests/support/ScopedEnv.h"

#include <cmath>
#include <future>
#include <gtest/gtest.h>
#include <set>

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
    std::optional<UNTimeIntervalNotificationTrigger> trigger;
    if (interval) {
        trigger.emplace(*interval, false);
    }
    return {std::move(identifier), {"Новая версия!", std::move(body), std::move(sound)}, trigger};
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
                [done](bool granted, auto error) {
                    done({error, granted});
                });
        });
    };
    const auto refused = authorize();
    ASSERT_TRUE(refused && refused->error);
    EXPECT_FALSE(refused->granted);
    EXPECT_EQ(refused->error->localizedDescription().find(
                  "No notification server answered on the session bus: "),
              0u);
    EXPECT_NE(refused->error->localizedDescription().find("org.freedesktop.Notifications"),
              std::string::npos);
    CapturingNotificationServer server;
    const auto granted = authorize();
    ASSERT_TRUE(granted);
    EXPECT_TRUE(granted->granted);
    EXPECT_FALSE(granted->error);
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

TEST_F(NotificationCenter, PendingRequestsWaitAndTheSameIdentifierReplacesThem) {
    CapturingNotificationServer server;
    const auto superseded = await([&](auto done) {
        center_->add(request("Local Notification", "1.1", later), [done](auto e) { done({e}); });
        center_->add(request("Other", "x", later));
        center_->add(request("Local Notification", "1.2", later));
    });
    ASSERT_TRUE(superseded);
    EXPECT_FALSE(superseded->error) << "superseded, not refused";
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
    for (double interval : {0.0, -1.0, double(NAN), double(INFINITY)}) {
        EXPECT_FALSE(UNTimeIntervalNotificationTrigger(interval, false).isValid()) << interval;
    }
    EXPECT_TRUE(UNTimeIntervalNotificationTrigger(0.001, false).isValid());
    EXPECT_TRUE(UNTimeIntervalNotificationTrigger(60, true).isValid());
}

TEST_F(NotificationCenter, CompletionsRunInOrderOnOneQueue) {
    std::mutex lock;
    std::vector<int> order;
    std::set<std::thread::id> threads;
    ASSERT_TRUE(await<bool>([&](auto done) {
        for (int i = 0; i < 5; ++i) {
            center_->getPendingNotificationRequests([&, i, done](auto) {
                std::lock_guard guard(lock);
                order.push_back(i);
                threads.insert(std::this_thread::get_id());
                if (i == 4) {
                    done(true);
                }
            });
        }
    }));
    std::lock_guard guard(lock);
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3, 4}));
    EXPECT_EQ(threads.size(), 1u);
}

} // namespace
