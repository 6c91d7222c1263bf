#pragma once

#include "platform/notify/LoopThread.h"

#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace trelvo::test {

struct NotificationServerOptions {
    bool bodyMarkup = false;       // advertise the "body-markup" capability
    const char* refusal = nullptr; // answer Notify with this error message
};

// org.freedesktop.Notifications on the session bus of the environment, answering on a thread
// of its own and keeping every Notify call it gets.
class CapturingNotificationServer {
public:
    using Options = NotificationServerOptions;
    struct Received {
        std::string appName;
        std::uint32_t replacesId;
        std::string appIcon;
        std::string summary;
        std::string body;
        std::map<std::string, std::string> hints; // values printed as GVariant text
        std::uint32_t id;                         // what the server answered
    };

    explicit CapturingNotificationServer(Options options = {});
    ~CapturingNotificationServer();

    // The n-th notification received (from 0), waiting for it a generous while.
    std::optional<Received> notification(std::size_t index);
    std::size_t count();

    void handle(GDBusMethodInvocation* invocation, const char* method, GVariant* parameters);

private:
    Options options_;
    GDBusConnection* connection_ = nullptr;
    guint registration_ = 0;
    std::mutex lock_;
    std::condition_variable arrived_;
    std::vector<Received> received_;
    std::uint32_t lastId_ = 0;
    platform::notify::LoopThread loop_{"test-server"};
};

} // namespace trelvo::test
