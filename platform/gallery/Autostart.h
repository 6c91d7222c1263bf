#pragma once

#include "platform/gallery/InstalledWidget.h"

#include <filesystem>
#include <optional>
#include <string>

namespace platform::gallery {

// The session's autostart folder: $XDG_CONFIG_HOME/autostart, ~/.config/autostart by default.
std::filesystem::path autostartFolder();

// The entry that starts `widget` in `family` at login, written whole or not at all; an error's
// text when it could not be.
std::optional<std::string> enableAtLogin(const std::filesystem::path& folder,
                                         const InstalledWidget& widget, const std::string& family);
void disableAtLogin(const std::filesystem::path& folder, const InstalledWidget& widget);
bool enabledAtLogin(const std::filesystem::path& folder, const InstalledWidget& widget);

// A desktop entry's Exec argument, quoted as entries quote.
std::string quotedArgument(const std::string& argument);

} // namespace platform::gallery
