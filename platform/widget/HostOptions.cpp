#include "platform/widget/HostOptions.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <nlohmann/json.hpp>

namespace platform::widget {

using foundation::Expected;
using foundation::Unexpected;

namespace {

std::string lowercase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string familyList(const std::vector<WidgetFamily>& families) {
    std::string list;
    for (auto family : families) {
        list += list.empty() ? "" : ", ";
        list += shortName(family);
    }
    return list;
}

std::optional<double> parseNumber(const std::string& text) {
    double value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

// "--name=value" or "--name value"; the value of an option that needs one.
struct Cursor {
    const std::vector<std::string>& args;
    std::size_t index = 0;
    std::string name;
    std::optional<std::string> inlineValue;

    bool next() {
        if (index >= args.size()) {
            return false;
        }
        const auto& arg = args[index++];
        auto equals = arg.find('=');
        if (arg.rfind("--", 0) == 0 && equals != std::string::npos) {
            name = arg.substr(0, equals);
            inlineValue = arg.substr(equals + 1);
        } else {
            name = arg;
            inlineValue.reset();
        }
        return true;
    }

    Expected<std::string, UsageError> value() {
        if (inlineValue) {
            return *inlineValue;
        }
        if (index >= args.size()) {
            return Unexpected{UsageError{name + " needs a value"}};
        }
        return args[index++];
    }
};

// A flag names no value; returns false when `name` is not one.
Expected<bool, UsageError> applyFlag(const Cursor& cursor, HostOptions& options) {
    const auto& name = cursor.name;
    std::optional<ContentSource> source;
    if (name == "--help" || name == "-h") {
        options.action = HostAction::help;
    } else if (name == "--version") {
        options.action = HostAction::version;
    } else if (name == "--describe") {
        options.action = HostAction::describe;
    } else if (name == "--once") {
        options.once = true;
    } else if (name == "--snapshot") {
        source = ContentSource::snapshot;
    } else if (name == "--placeholder") {
        source = ContentSource::placeholder;
    } else {
        return false;
    }
    if (cursor.inlineValue) {
        return Unexpected{UsageError{name + " takes no value"}};
    }
    if (source) {
        if (options.source != ContentSource::timeline && options.source != *source) {
            return Unexpected{UsageError{"--snapshot and --placeholder exclude each other"}};
        }
        options.source = *source;
    }
    return true;
}

std::optional<UsageError> applyValue(const std::string& name, const std::string& value,
                                     HostOptions& options) {
    if (name == "--output") {
        if (value.empty()) {
            return UsageError{"--output needs a file name"};
        }
        if (!outputFormat(value)) {
            return UsageError{"--output " + value +
                              ": the file name must end in .png, .svg or .pdf"};
        }
        options.output = std::filesystem::path(value);
    } else if (name == "--family") {
        options.family = familyFromShortName(value);
        if (!options.family) {
            return UsageError{"--family " + value + ": expected small, medium or large"};
        }
    } else if (name == "--scale") {
        auto scale = parseNumber(value);
        if (!scale || (*scale != 1 && *scale != 2 && *scale != 3)) {
            return UsageError{"--scale " + value + ": expected 1, 2 or 3"};
        }
        options.scale = static_cast<int>(*scale);
    } else if (name == "--position") {
        options.placement.position = cornerNamed(value);
        if (!options.placement.position) {
            return UsageError{
                "--position " + value +
                ": expected top-left, top-right, bottom-left, bottom-right or center"};
        }
    } else if (name == "--margin") {
        auto margin = parseNumber(value);
        if (!margin || *margin < 0 || *margin > 1000 || *margin != std::floor(*margin)) {
            return UsageError{"--margin " + value + ": expected whole points, from 0 to 1000"};
        }
        options.placement.margin = static_cast<int>(*margin);
    } else if (name == "--monitor") {
        if (value.empty()) {
            return UsageError{"--monitor needs a monitor's name, such as HDMI-1"};
        }
        options.placement.monitor = value;
    } else {
        auto seconds = parseNumber(value); // --timeout
        if (!seconds || *seconds < 0 || *seconds > 24 * 60 * 60) {
            return UsageError{"--timeout " + value + ": expected seconds, from 0 to 86400"};
        }
        options.timeoutSeconds = *seconds;
    }
    return std::nullopt;
}

bool takesValue(const std::string& name) {
    return name == "--output" || name == "--family" || name == "--scale" || name == "--timeout" ||
           name == "--position" || name == "--margin" || name == "--monitor";
}

std::optional<UsageError> apply(Cursor& cursor, HostOptions& options) {
    auto flag = applyFlag(cursor, options);
    if (!flag) {
        return flag.error();
    }
    if (*flag) {
        return std::nullopt;
    }
    if (!takesValue(cursor.name)) {
        return UsageError{"unknown option " + cursor.name};
    }
    auto value = cursor.value();
    if (!value) {
        return value.error();
    }
    return applyValue(cursor.name, *value, options);
}

} // namespace

std::optional<OutputFormat> outputFormat(const std::filesystem::path& path) {
    auto extension = lowercase(path.extension().string());
    if (extension == ".png") {
        return OutputFormat::png;
    }
    if (extension == ".svg") {
        return OutputFormat::svg;
    }
    if (extension == ".pdf") {
        return OutputFormat::pdf;
    }
    return std::nullopt;
}

Expected<HostOptions, UsageError> parseHostOptions(const std::vector<std::string>& args) {
    HostOptions options;
    Cursor cursor{args};
    while (cursor.next()) {
        if (cursor.name.rfind("-", 0) != 0) {
            return Unexpected{UsageError{"unexpected argument " + cursor.name}};
        }
        if (auto error = apply(cursor, options)) {
            return Unexpected{*error};
        }
    }
    return options;
}

Expected<WidgetFamily, UsageError> chooseFamily(const HostOptions& options,
                                                const WidgetDescriptor& widget) {
    if (widget.families.empty()) {
        return Unexpected{UsageError{widget.kind + " offers no family to show"}};
    }
    if (!options.family) {
        return widget.families.front();
    }
    if (std::find(widget.families.begin(), widget.families.end(), *options.family) ==
        widget.families.end()) {
        return Unexpected{UsageError{widget.kind + " does not come in the " +
                                     std::string(shortName(*options.family)) +
                                     " family; it offers: " + familyList(widget.families)}};
    }
    return *options.family;
}

std::string helpText(std::string_view program) {
    std::string name(program);
    return "Usage: " + name +
           " [OPTION]...\n"
           "Shows the widget on the desktop, or draws it into a file.\n"
           "\n"
           "  --output PATH       draw into PATH (.png, .svg or .pdf), rewritten for each entry\n"
           "  --once              draw one timeline's entry into --output, then exit\n"
           "  --timeout SECONDS   with --once, give up when the widget has not answered (30)\n"
           "  --snapshot          show the widget's snapshot entry instead of its timeline\n"
           "  --placeholder       show the widget's placeholder entry instead of its timeline\n"
           "  --family FAMILY     small, medium or large (default: the widget's first)\n"
           "  --scale N           pixels per point in --output: 1, 2 or 3 (default 1)\n"
           "  --position CORNER   top-left, top-right (default), bottom-left, bottom-right or\n"
           "                      center: where the widget stands on the desktop\n"
           "  --margin POINTS     its distance from the monitor's edges (16)\n"
           "  --monitor NAME      the monitor, by its connector name (default: the primary)\n"
           "  --describe          print kind, display name, description and families as JSON\n"
           "  --help              print this help\n"
           "  --version           print the version\n"
           "\n"
           "Without a display, --output is needed: " +
           name +
           " --output widget.png\n"
           "Drag the widget with the primary button to move it; it stays where it is put.\n"
           "Its menu (secondary button) refreshes it now or closes it; so do SIGUSR1 and\n"
           "SIGTERM.\n"
           "\n"
           "Exit status: 0 when ended (SIGINT, SIGTERM) or done; 1 when --once gets no "
           "picture;\n2 for a command line that cannot be followed.\n";
}

std::string describeJSON(const WidgetDescriptor& widget) {
    nlohmann::ordered_json json;
    json["kind"] = widget.kind;
    json["displayName"] = widget.displayName.resolved();
    json["description"] = widget.description.resolved();
    auto families = nlohmann::ordered_json::array();
    for (auto family : widget.families) {
        families.push_back(std::string(name(family)));
    }
    json["families"] = families;
    return json.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

} // namespace platform::widget
