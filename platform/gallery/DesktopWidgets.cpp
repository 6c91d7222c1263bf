#include "platform/gallery/DesktopWidgets.h"

#include "platform/gallery/Autostart.h"
#include "platform/widget/PlaceRegistry.h"

#include <csignal>
#include <glib.h>
#include <unistd.h>

namespace platform::gallery {

using widget::PlaceRegistry;

DesktopWidgets DesktopWidgets::ofSession() {
    return {autostartFolder(), PlaceRegistry::folder()};
}

bool DesktopWidgets::isRunning(const InstalledWidget& widget) const {
    if (!places_) {
        return false;
    }
    for (const auto& holder : PlaceRegistry::holders(*places_)) {
        if (holder.kind == widget.kind) {
            return true;
        }
    }
    return false;
}

bool DesktopWidgets::isOn(const InstalledWidget& widget) const {
    return isRunning(widget) || enabledAtLogin(autostart_, widget);
}

std::optional<std::string> DesktopWidgets::add(const InstalledWidget& widget,
                                               const std::string& family) const {
    if (auto failed = enableAtLogin(autostart_, widget, family)) {
        return failed;
    }
    if (isRunning(widget)) {
        return std::nullopt;
    }
    const gchar* argv[] = {widget.program.c_str(), "--family", family.c_str(), nullptr};
    GError* error = nullptr;
    GPid pid = 0;
    // A session of its own: it outlives the gallery and the terminal the gallery ran in. While
    // the gallery runs, it is reaped when it ends.
    if (!g_spawn_async(
            nullptr, const_cast<gchar**>(argv), nullptr,
            static_cast<GSpawnFlags>(G_SPAWN_STDOUT_TO_DEV_NULL | G_SPAWN_DO_NOT_REAP_CHILD),
            [](gpointer) { ::setsid(); }, nullptr, &pid, &error)) {
        std::string message = error->message;
        g_error_free(error);
        disableAtLogin(autostart_, widget);
        return message;
    }
    g_child_watch_add(
        pid, [](GPid ended, gint, gpointer) { g_spawn_close_pid(ended); }, nullptr);
    return std::nullopt;
}

void DesktopWidgets::remove(const InstalledWidget& widget) const {
    disableAtLogin(autostart_, widget);
    if (!places_) {
        return;
    }
    for (const auto& holder : PlaceRegistry::holders(*places_)) {
        if (holder.kind == widget.kind) {
            ::kill(holder.pid, SIGTERM);
        }
    }
}

} // namespace platform::gallery
