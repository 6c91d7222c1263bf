#pragma once

#include "platform/foundation/Expected.h"

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace platform::app {

// The runtime's command line (the application's own code reads none).
struct AppOptions {
    enum class Action { run, help, version };

    Action action = Action::run;
    // Draw the window into this file (.png, .svg, .pdf) instead of opening it, without a display.
    std::optional<std::filesystem::path> render;
    // Seconds --render waits for the first change of what the window shows.
    double timeout = 5;
    // Pixels per point of a --render picture.
    double scale = 1;
};

// The arguments after the program's name; an error names the offending one.
foundation::Expected<AppOptions, std::string>
parseAppOptions(std::span<const std::string_view> arguments);
std::string appUsage(std::string_view program);

} // namespace platform::app
