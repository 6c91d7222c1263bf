#pragma once

#include "platform/notify/UNAuthorizationOptions.h"
#include "platform/notify/UNError.h"
#include "platform/notify/UNNotificationRequest.h"

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace platform::notify {

// Schedules the application's notifications and shows them through the desktop's
// notification server (org.freedesktop.Notifications on the session bus).
//
// Every operation returns at once. The centre talks to the bus and keeps its timers on a
// thread of its own; completions run on the centre's own serial queue, never on the main
// thread, in the order the operations finish.
class UNUserNotificationCenter {
public:
    using AuthorizationCompletion = std::function<void(bool granted, std::optional<UNError>)>;
    using AddCompletion = std::function<void(std::optional<UNError>)>;
    using PendingCompletion = std::function<void(std::vector<UNNotificationRequest>)>;

    // The application's centre, made on first use.
    static UNUserNotificationCenter& current();

    // A centre of its own (tests); it connects to the session bus named in the environment at
    // the time it first needs the bus. Pending requests are dropped with it, their completions
    // never called.
    UNUserNotificationCenter();
    ~UNUserNotificationCenter();
    UNUserNotificationCenter(const UNUserNotificationCenter&) = delete;
    UNUserNotificationCenter& operator=(const UNUserNotificationCenter&) = delete;

    // Granted when a notification server answers on the session bus; otherwise refused with
    // the reason. Servers show every kind of option they support, so the set is not checked.
    void requestAuthorization(UNAuthorizationOptions options,
                              AuthorizationCompletion completionHandler);

    // Holds the request until its trigger fires, then shows it. A pending request with the
    // same identifier is replaced (its completion reports no error: it was superseded, not
    // refused). The completion runs once the server has shown the notification, or with the
    // error that stopped it: no bus, no server, the server's refusal, an invalid trigger.
    void add(UNNotificationRequest request, AddCompletion completionHandler = {});

    // The requests still waiting for their trigger, in the order they were added.
    void getPendingNotificationRequests(PendingCompletion completionHandler);

    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
};

} // namespace platform::notify
