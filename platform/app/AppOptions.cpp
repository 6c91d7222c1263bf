#include "platform/app/AppOptions.h"

#include <charconv>
#include <cmath>

namespace platform::app {

using foundation::Expected;
using foundation::Unexpected;

namespace {

constexpr double largestScale = 8;

std::optional<double> number(std::optional<std::string_view> argument) {
    if (!argument) {
        return std::nullopt;
    }
    auto text = *argument;
    double value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

// "--name value" or "--name=value".
struct Argument {
    std::string_view name;
    std::optional<std::string_view> inlineValue;
};

Argument split(std::string_view argument) {
    if (auto equals = argument.find('='); argument.starts_with("--") && equals != argument.npos) {
        return {argument.substr(0, equals), argument.substr(equals + 1)};
    }
    return {argument, std::nullopt};
}

} // namespace

Expected<AppOptions, std::string> parseAppOptions(std::span<const std::string_view> arguments) {
    AppOptions options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        auto [name, inlineValue] = split(arguments[i]);
        auto value = [&]() -> std::optional<std::string_view> {
            if (inlineValue) {
                return inlineValue;
            }
            if (i + 1 < arguments.size()) {
                return arguments[++i];
            }
            return std::nullopt;
        };
        if ((name == "--help" || name == "-h") && !inlineValue) {
            options.action = AppOptions::Action::help;
        } else if (name == "--version" && !inlineValue) {
            options.action = AppOptions::Action::version;
        } else if (name == "--render") {
            auto path = value();
            if (!path || path->empty()) {
                return Unexpected{std::string("--render needs the path of a picture to write")};
            }
            options.render = std::filesystem::path(*path);
        } else if (name == "--timeout") {
            auto seconds = number(value());
            if (!seconds || *seconds < 0) {
                return Unexpected{std::string("--timeout needs a number of seconds, 0 or more")};
            }
            options.timeout = *seconds;
        } else if (name == "--scale") {
            auto scale = number(value());
            if (!scale || *scale <= 0 || *scale > largestScale) {
                return Unexpected{std::string("--scale needs a number above 0, up to 8")};
            }
            options.scale = *scale;
        } else {
            return Unexpected{"unknown argument: " + std::string(arguments[i])};
        }
    }
    return options;
}

std::string appUsage(std::string_view program) {
    std::string usage = "Usage: " + std::string(program) + " [OPTION]...\n";
    usage += "Opens the application's window.\n\n"
             "  --render PATH     draw the window into PATH (.png, .svg or .pdf) without a\n"
             "                    display, once what it shows first changes or the timeout\n"
             "                    passes, then exit\n"
             "  --timeout SECONDS how long --render waits for a change (default 5)\n"
             "  --scale FACTOR    pixels per point of the --render picture (default 1)\n"
             "  --help            show this help and exit\n"
             "  --version         show the application's version and exit\n";
    return usage;
}

} // namespace platform::app
