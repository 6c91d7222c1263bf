#pragma once

#include "platform/widget/GLibHandles.h"

#include <functional>
#include <gio/gio.h>

namespace platform::widget {

// Reports resume from suspend: logind's PrepareForSleep(false) on the system bus. Where there
// is no system bus or no logind, it reports nothing and says nothing.
class SleepMonitor {
public:
    explicit SleepMonitor(std::function<void()> resumed);
    ~SleepMonitor();
    SleepMonitor(const SleepMonitor&) = delete;
    SleepMonitor& operator=(const SleepMonitor&) = delete;

private:
    static void connected(GObject* source, GAsyncResult* result, gpointer self);
    static void signalled(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*,
                          GVariant* parameters, gpointer self);

    std::function<void()> resumed_;
    GObjectPtr<GCancellable> cancellable_;
    GObjectPtr<GDBusConnection> bus_;
    guint subscription_ = 0;
};

} // namespace platform::widget
