#pragma once

#include "platform/widget/GLibHandles.h"

#include <chrono>
#include <functional>
#include <gio/gio.h>

namespace platform::widget {

// Reports resume from suspend: logind's PrepareForSleep(false) on the system bus. Where there
// is no system bus or no logind, it reports nothing and says nothing. When the bus it listens
// on goes away (a restart or an upgrade of dbus), it tries to reach it again from the loop,
// further apart each time up to a bound, and listens anew once it is back.
class SleepMonitor {
public:
    // Waits between attempts to reach a bus that went away: doubling from `first` to `most`.
    struct Backoff {
        std::chrono::milliseconds first = std::chrono::seconds(1);
        std::chrono::milliseconds most = std::chrono::minutes(5);
    };

    explicit SleepMonitor(std::function<void()> resumed);
    SleepMonitor(std::function<void()> resumed, Backoff backoff);
    ~SleepMonitor();
    SleepMonitor(const SleepMonitor&) = delete;
    SleepMonitor& operator=(const SleepMonitor&) = delete;

private:
    void connect();
    void listen(GDBusConnection* bus);
    void forgetBus();
    void retryLater();
    static void connected(GObject* source, GAsyncResult* result, gpointer self);
    static void closed(GDBusConnection* bus, gboolean remoteVanished, GError* error, gpointer self);
    static void signalled(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*,
                          GVariant* parameters, gpointer self);

    std::function<void()> resumed_;
    Backoff backoff_;
    GObjectPtr<GCancellable> cancellable_;
    GObjectPtr<GDBusConnection> bus_;
    guint subscription_ = 0;
    gulong closedHandler_ = 0;
    // Only a bus that was there and went away is waited for: a machine without one (a
    // container, a build server) is left alone.
    bool lostBus_ = false;
    int attempts_ = 0;
    SourceId retry_;
};

} // namespace platform::widget
