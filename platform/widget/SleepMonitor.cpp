#include "platform/widget/SleepMonitor.h"

#include <algorithm>
#include <memory>

namespace platform::widget {

namespace {

struct GFree {
    void operator()(gchar* text) const { g_free(text); }
};

bool cancelled(const GError* error) {
    return g_error_matches(error, G_IO_ERROR, G_IO_ERROR_CANCELLED);
}

} // namespace

SleepMonitor::SleepMonitor(std::function<void()> resumed)
    : SleepMonitor(std::move(resumed), Backoff{}) {}

SleepMonitor::SleepMonitor(std::function<void()> resumed, Backoff backoff)
    : resumed_(std::move(resumed))
    , backoff_(backoff)
    , cancellable_(g_cancellable_new()) {
    connect();
}

SleepMonitor::~SleepMonitor() {
    g_cancellable_cancel(cancellable_.get());
    forgetBus();
}

void SleepMonitor::connect() {
    GError* rawError = nullptr;
    std::unique_ptr<gchar, GFree> address(
        g_dbus_address_get_for_bus_sync(G_BUS_TYPE_SYSTEM, cancellable_.get(), &rawError));
    GErrorPtr error(rawError);
    if (!address) {
        retryLater();
        return;
    }
    // A connection of our own, to drop when the bus goes and open again when it is back;
    // asynchronous, so a slow or missing bus never holds up the first frame.
    g_dbus_connection_new_for_address(
        address.get(),
        static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                          G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
        nullptr, cancellable_.get(), &connected, this);
}

void SleepMonitor::connected(GObject*, GAsyncResult* result, gpointer data) {
    GError* rawError = nullptr;
    GDBusConnection* bus = g_dbus_connection_new_for_address_finish(result, &rawError);
    GErrorPtr error(rawError);
    if (!bus && cancelled(error.get())) {
        return; // we are gone: touch nothing
    }
    auto* self = static_cast<SleepMonitor*>(data);
    if (!bus) {
        self->retryLater();
        return;
    }
    self->listen(bus);
}

void SleepMonitor::listen(GDBusConnection* bus) {
    bus_.reset(bus);
    attempts_ = 0;
    closedHandler_ = g_signal_connect(bus, "closed", G_CALLBACK(&closed), this);
    subscription_ = g_dbus_connection_signal_subscribe(
        bus, "org.freedesktop.login1", "org.freedesktop.login1.Manager", "PrepareForSleep",
        "/org/freedesktop/login1", nullptr, G_DBUS_SIGNAL_FLAGS_NONE, &signalled, this, nullptr);
}

void SleepMonitor::forgetBus() {
    if (!bus_) {
        return;
    }
    if (subscription_ != 0) {
        g_dbus_connection_signal_unsubscribe(bus_.get(), subscription_);
        subscription_ = 0;
    }
    if (closedHandler_ != 0) {
        g_signal_handler_disconnect(bus_.get(), closedHandler_);
        closedHandler_ = 0;
    }
    bus_.reset();
}

void SleepMonitor::closed(GDBusConnection*, gboolean, GError*, gpointer data) {
    auto* self = static_cast<SleepMonitor*>(data);
    self->forgetBus();
    self->lostBus_ = true;
    self->retryLater();
}

void SleepMonitor::retryLater() {
    if (!lostBus_) {
        return;
    }
    auto wait = backoff_.first * (std::int64_t{1} << std::min(attempts_, 20));
    wait = std::min(wait, backoff_.most);
    ++attempts_;
    retry_ = SourceId(g_timeout_add(
        static_cast<guint>(wait.count()),
        [](gpointer data) -> gboolean {
            auto* self = static_cast<SleepMonitor*>(data);
            self->retry_.forget();
            self->connect();
            return G_SOURCE_REMOVE;
        },
        this));
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
