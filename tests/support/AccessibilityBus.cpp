#include "tests/support/AccessibilityBus.h"

#include "tests/support/Eventually.h"

#include <cstdlib>
#include <gio/gio.h>
#include <unistd.h>

namespace trelvo::test {

namespace {

bool sessionBusHas(const char* name) {
    const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    if (!address) {
        return false;
    }
    g_autoptr(GDBusConnection) bus = g_dbus_connection_new_for_address_sync(
        address,
        static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                          G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
        nullptr, nullptr, nullptr);
    if (!bus) {
        return false;
    }
    g_autoptr(GVariant) answer = g_dbus_connection_call_sync(
        bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
        "NameHasOwner", g_variant_new("(s)", name), G_VARIANT_TYPE("(b)"), G_DBUS_CALL_FLAGS_NONE,
        2000, nullptr, nullptr);
    gboolean owned = FALSE;
    if (answer) {
        g_variant_get(answer, "(b)", &owned);
    }
    return owned;
}

} // namespace

AccessibilityBus::AccessibilityBus(const std::filesystem::path& folder) {
    if (::access(launcher, X_OK) != 0) {
        return;
    }
    // The bus's socket goes under XDG_RUNTIME_DIR: the test's own, never a shared one.
    const auto runtime = folder / "a11y-runtime";
    std::filesystem::create_directories(runtime);
    std::filesystem::permissions(runtime, std::filesystem::perms::owner_all);
    launcher_.emplace(std::vector<std::string>{launcher, "--launch-immediately"}, folder,
                      std::vector<std::string>{"XDG_RUNTIME_DIR=" + runtime.string(), "DISPLAY"});
    ready_ = launcher_->pid() > 0 && eventually([] { return sessionBusHas("org.a11y.Bus"); });
}

} // namespace trelvo::test
