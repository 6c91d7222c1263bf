#pragma once

#include "platform/gallery/InstalledWidget.h"

#include <filesystem>
#include <optional>
#include <string>

namespace platform::gallery {

// Widgets on the desktop: running now (holding a place there) or started at login.
class DesktopWidgets {
public:
    DesktopWidgets(std::filesystem::path autostart, std::optional<std::filesystem::path> places)
        : autostart_(std::move(autostart))
        , places_(std::move(places)) {}
    // The session's own folders.
    static DesktopWidgets ofSession();

    // On the desktop now, or at the next login, however it was started.
    bool isOn(const InstalledWidget& widget) const;
    bool isRunning(const InstalledWidget& widget) const;
    // Starts it now, detached from us, and at every login; the error's text when it cannot.
    std::optional<std::string> add(const InstalledWidget& widget, const std::string& family) const;
    // Ends every running one of its kind and takes its login entry away.
    void remove(const InstalledWidget& widget) const;

private:
    std::filesystem::path autostart_;
    std::optional<std::filesystem::path> places_;
};

} // namespace platform::gallery
