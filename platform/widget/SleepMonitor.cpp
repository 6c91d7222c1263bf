#include "platform/widget/SleepMonitor.h"

namespace platform::widget {

SleepMonitor::SleepMonitor(std::function<void()> resumed)
    : resumed_(std::move(resumed))
    , cancellable_(g_cancellable_new()) {
    // Asynchronous, so a slow or missing bus never holds up the first frame.
    g_bus_get(G_BUS_TYPE_SYSTEM, cancellable_.get(), &connected, this);
}

SleepMonitor::~SleepMonitor() {
    g_cancellable_cancel(cancellable_.get());
    if (bus_ && subscription_ != 0) {
        g_dbus_connection_signal_unsubscribe(bus_.get(), subscription_);
    }
}

void SleepMonitor::connected(GObject*, GAsyncResult* result, gpointer data) {
    GError* rawError = nullptr;
    GDBusConnection* bus = g_bus_get_finish(result, &rawError);
    GErrorPtr error(rawError);
    if (!bus) {
        return; // cancelled (we may be gone: touch nothing) or no system bus
    }
    // GDBus ends the process when its shared connection closes; a restart of the system bus
    // must not take the widget off the desktop. Without the bus only resumes go unheard.
    g_dbus_connection_set_exit_on_close(bus, FALSE);
    auto* self = static_cast<SleepMonitor*>(data);
    self->bus_.reset(bus);
    self->subscription_ = g_dbus_connection_signal_subscribe(
        bus, "org.freedesktop.login1", "org.freedesktop.login1.Manager", "PrepareForSleep",
        "/org/freedesktop/login1", nullptr, G_DBUS_SIGNAL_FLAGS_NONE, &signalled, self, nullptr);
}

void SleepMonitor::signalled(GDBusConnection*, const gchar*, const gchar*, const gchar*,
                             const gchar*, GVariant* parameters, gpointer data) {
    if (!g_variant_is_of_type(parameters, G_VARIANT_TYPE("(b)"))) {
        return;
    }
    gboolean goingToSleep = TRUE;
    g_variant_get(parameters, "(b)", &goingToSleep);
    if (!goingToSleep) {
        static_cast<SleepMonitor*>(data)->resumed_();
    }
}

} // namespace platform::widget
