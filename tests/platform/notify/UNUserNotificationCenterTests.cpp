#include "tests/support/CapturingNotificationServer.h"
#include "tests/support/PrivateSessionBus.h"
#include "platform/foundation/Bundle.h"
#include "platform/notify/UNUserNotificationCenter.h"

#include <chrono>
#include <future>
#include <gtest/gtest.h>
#include <memory>
#include <set>
#include <thread>

using namespace platform::notify;
using platform::foundation::Bundle;
using namespace std::chrono_literals;
using trelvo::test::CapturingNotificationServer;
using trelvo::test::NotificationServerOptions;
using trelvo::test::PrivateSessionBus;

namespace {

// Waits for a completion a generous while; a centre that never calls back fails the test
// instead of hanging it.
template <class T> class Awaited {
public:
    std::function<void(T)> handler() {
        return [promise = promise_](T value) { promise->set_value(std::move(value)); };
    }
    std::optional<T> get() {
        if (future_.wait_for(20s) != std::future_status::ready) {
            return std::nullopt;
        }
        return future_.get();
    }

private:
    std::shared_ptr<std::promise<T>> promise_ = std::make_shared<std::promise<T>>();
    std::future<T> future_ = promise_->get_future();
};

struct Outcome {
    std::optional<UNError> error;
    std::thread::id thread;
};

struct Authorization {
    bool granted;
    std::optional<UNError> error;
    std::thread::id thread;
};

UNNotificationRequest
request(std::string identifier, std::string body, std::optional<double> interval,
        std::optional<UNNotificationSound> sound = UNNotificationSound::defaultSound()) {
    UNMutableNotificationContent content;
    content.title = "Новая версия!";
    content.body = std::move(body);
    content.sound = std::move(sound);
    std::optional<UNTimeIntervalNotificationTrigger> trigger;
    if (interval) {
        trigger.emplace(*interval, false);
    }
    return UNNotificationRequest(std::move(identifier), std::move(content), trigger);
}

// Short enough to wait for; the trigger counts real elapsed time.
constexpr double soon = 0.05;
// Never reached within a test.
constexpr double later = 3600;

class NotificationCenter : public testing::Test {
protected:
    std::optional<Authorization> authorize() {
        Awaited<Authorization> done;
        center_->requestAuthorization({UNAuthorizationOptions::alert, UNAuthorizationOptions::sound,
                                       UNAuthorizationOptions::badge},
                                      [h = done.handler()](bool granted, auto error) {
                                          h({granted, error, std::this_thread::get_id()});
                                      });
        return done.get();
    }

    std::optional<Outcome> add(UNNotificationRequest r) {
        Awaited<Outcome> done;
        center_->add(std::move(r), [h = done.handler()](auto error) {
            h({error, std::this_thread::get_id()});
        });
        return done.get();
    }

    std::vector<UNNotificationRequest> pending() {
        Awaited<std::vector<UNNotificationRequest>> done;
        center_->getPendingNotificationRequests(done.handler());
        return done.get().value_or(std::vector<UNNotificationRequest>{});
    }

    PrivateSessionBus bus_;
    std::unique_ptr<UNUserNotificationCenter> center_ =
        std::make_unique<UNUserNotificationCenter>();
};

std::vector<std::string> identifiers(const std::vector<UNNotificationRequest>& requests) {
    std::vector<std::string> names;
    for (const auto& r : requests) {
        names.push_back(r.identifier + ":" + r.content.body);
    }
    return names;
}

} // namespace

TEST_F(NotificationCenter, AuthorizationGrantedWhenAServerAnswers) {
    CapturingNotificationServer server;
    auto answer = authorize();
    ASSERT_TRUE(answer);
    EXPECT_TRUE(answer->granted);
    EXPECT_FALSE(answer->error);
    EXPECT_NE(answer->thread, std::this_thread::get_id());
}

TEST_F(NotificationCenter, AuthorizationRefusedWithoutAServerThenGrantedOnceOneRuns) {
    auto refused = authorize();
    ASSERT_TRUE(refused);
    EXPECT_FALSE(refused->granted);
    ASSERT_TRUE(refused->error);
    EXPECT_EQ(refused->error->code, UNError::Code::serverUnavailable);
    EXPECT_NE(refused->error->localizedDescription().find("org.freedesktop.Notifications"),
              std::string::npos)
        << refused->error->localizedDescription();

    CapturingNotificationServer server;
    auto granted = authorize();
    ASSERT_TRUE(granted);
    EXPECT_TRUE(granted->granted);
}

TEST_F(NotificationCenter, DueRequestIsShownWithTheBundlesIdentityAndNoLongerPending) {
    CapturingNotificationServer server;
    auto outcome =
        add(request("Local Notification", "Для скачивания доступна новая версия 2.0", soon));
    ASSERT_TRUE(outcome);
    EXPECT_FALSE(outcome->error) << outcome->error->localizedDescription();

    auto shown = server.notification(0);
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->appName, Bundle::main().object("CFBundleName"));
    EXPECT_EQ(shown->appName, "Trelvo Results");
    EXPECT_EQ(shown->appIcon, Bundle::main().bundleIdentifier());
    EXPECT_EQ(shown->summary, "Новая версия!");
    EXPECT_EQ(shown->body, "Для скачивания доступна новая версия 2.0");
    EXPECT_EQ(shown->replacesId, 0u);
    EXPECT_EQ(shown->hints["sound-name"], "'message-new-instant'");
    EXPECT_EQ(shown->hints["desktop-entry"], "'" + Bundle::main().bundleIdentifier() + "'");
    EXPECT_TRUE(pending().empty());
}

TEST_F(NotificationCenter, RequestsWaitForTheirTriggerAndTheSameIdentifierReplaces) {
    CapturingNotificationServer server;
    struct Step {
        const char* identifier;
        const char* body;
    };
    // Completions of superseded requests come back without error.
    auto first = std::make_shared<Awaited<Outcome>>();
    center_->add(request("Local Notification", "1.1", later), [h = first->handler()](auto error) {
        h({error, {}});
    });
    for (auto step : {Step{"Other", "x"}, Step{"Local Notification", "1.2"},
                      Step{"Local Notification", "1.3"}}) {
        center_->add(request(step.identifier, step.body, later));
    }

    EXPECT_EQ(identifiers(pending()),
              (std::vector<std::string>{"Other:x", "Local Notification:1.3"}));
    auto superseded = first->get();
    ASSERT_TRUE(superseded);
    EXPECT_FALSE(superseded->error);
    EXPECT_EQ(server.count(), 0u);
}

TEST_F(NotificationCenter, LaterRequestDueSoonerReplacesThePendingOne) {
    CapturingNotificationServer server;
    center_->add(request("Local Notification", "old", later));
    ASSERT_TRUE(add(request("Local Notification", "new", soon)));

    ASSERT_EQ(server.count(), 1u);
    EXPECT_EQ(server.notification(0)->body, "new");
    EXPECT_TRUE(pending().empty()); // the replaced one went with it
}

TEST_F(NotificationCenter, ShownAgainReplacesTheNotificationOnScreen) {
    CapturingNotificationServer server;
    ASSERT_TRUE(add(request("Local Notification", "1.1", soon)));
    ASSERT_TRUE(add(request("Local Notification", "1.2", std::nullopt)));
    ASSERT_TRUE(add(request("Other", "x", std::nullopt)));

    auto first = server.notification(0);
    auto second = server.notification(1);
    auto other = server.notification(2);
    ASSERT_TRUE(first && second && other);
    EXPECT_EQ(second->replacesId, first->id);
    EXPECT_EQ(other->replacesId, 0u);
}

TEST_F(NotificationCenter, BodyIsShownAsPlainTextWhateverTheServerReads) {
    struct Case {
        bool markupServer;
        const char* sent;
    } cases[] = {{false, "a < b & <b>c</b>"}, {true, "a &lt; b &amp; &lt;b&gt;c&lt;/b&gt;"}};
    for (auto c : cases) {
        auto center = std::make_unique<UNUserNotificationCenter>();
        CapturingNotificationServer server({.bodyMarkup = c.markupServer});
        Awaited<Outcome> done;
        center->add(request("Local Notification", "a < b & <b>c</b>", std::nullopt),
                    [h = done.handler()](auto error) {
                        h({error, {}});
                    });
        ASSERT_TRUE(done.get());
        auto shown = server.notification(0);
        ASSERT_TRUE(shown);
        EXPECT_EQ(shown->body, c.sent) << (c.markupServer ? "markup" : "plain");
    }
}

TEST_F(NotificationCenter, SilentContentAsksTheServerForSilence) {
    CapturingNotificationServer server;
    ASSERT_TRUE(add(request("Local Notification", "quiet", std::nullopt, std::nullopt)));
    auto shown = server.notification(0);
    ASSERT_TRUE(shown);
    EXPECT_FALSE(shown->hints.contains("sound-name"));
    EXPECT_EQ(shown->hints["suppress-sound"], "true");
}

TEST_F(NotificationCenter, FailuresComeBackThroughTheCompletion) {
    enum class Setup { noServer, refusingServer, noBus };
    struct Case {
        const char* name;
        Setup setup;
        std::optional<double> interval;
        UNError::Code code;
        const char* reason;
    } cases[] = {
        {"no server when due", Setup::noServer, soon, UNError::Code::serverUnavailable, ""},
        {"server refuses", Setup::refusingServer, soon, UNError::Code::deliveryFailed,
         "notifications are turned off"},
        {"no bus", Setup::noBus, later, UNError::Code::busUnavailable, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::optional<CapturingNotificationServer> server;
        if (c.setup == Setup::refusingServer) {
            server.emplace(
                CapturingNotificationServer::Options{.refusal = "notifications are turned off"});
        }
        if (c.setup == Setup::noBus) {
            setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/bus", 1);
        }
        center_ = std::make_unique<UNUserNotificationCenter>();
        auto outcome = add(request("Local Notification", "1.2", c.interval));
        setenv("DBUS_SESSION_BUS_ADDRESS", bus_.address().c_str(), 1);
        ASSERT_TRUE(outcome);
        ASSERT_TRUE(outcome->error);
        EXPECT_EQ(outcome->error->code, c.code);
        EXPECT_NE(outcome->error->localizedDescription().find(c.reason), std::string::npos)
            << outcome->error->localizedDescription();
        EXPECT_NE(outcome->thread, std::this_thread::get_id());
        EXPECT_TRUE(pending().empty());
    }
}

TEST_F(NotificationCenter, InvalidTriggersAreRefusedAndNothingIsHeld) {
    CapturingNotificationServer server;
    for (auto trigger :
         {UNTimeIntervalNotificationTrigger(0, false), UNTimeIntervalNotificationTrigger(-5, false),
          UNTimeIntervalNotificationTrigger(30, true)}) {
        auto r = request("Local Notification", "1.2", std::nullopt);
        r.trigger = trigger;
        auto outcome = add(r);
        ASSERT_TRUE(outcome && outcome->error);
        EXPECT_EQ(outcome->error->code, UNError::Code::invalidTrigger);
    }
    EXPECT_TRUE(pending().empty());
    EXPECT_EQ(server.count(), 0u);
}

TEST_F(NotificationCenter, CompletionsRunInOrderOnOneQueueOffTheCallingThread) {
    CapturingNotificationServer server;
    std::mutex lock;
    std::vector<int> order;
    std::set<std::thread::id> threads;
    Awaited<bool> last;
    for (int i = 0; i < 5; ++i) {
        center_->getPendingNotificationRequests([&, i, h = last.handler()](auto) {
            std::lock_guard guard(lock);
            order.push_back(i);
            threads.insert(std::this_thread::get_id());
            if (i == 4) {
                h(true);
            }
        });
    }
    ASSERT_TRUE(last.get());
    std::lock_guard guard(lock);
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3, 4}));
    ASSERT_EQ(threads.size(), 1u);
    EXPECT_NE(*threads.begin(), std::this_thread::get_id());
}

TEST_F(NotificationCenter, DroppedWithRequestsPendingAndCallsInFlight) {
    CapturingNotificationServer server;
    center_->add(request("Local Notification", "1.2", later));
    center_->add(request("Now", "1.2", std::nullopt));
    center_->requestAuthorization({UNAuthorizationOptions::alert}, [](bool, auto) {});
    center_.reset(); // returns without waiting for the hour, and leaves nothing behind
    SUCCEED();
}
