#pragma once

#include "platform/foundation/Expected.h"
#include "platform/widget/Placement.h"
#include "platform/widget/StaticConfiguration.h"
#include "platform/widget/WidgetFamily.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace platform::widget {

enum class OutputFormat { png, svg, pdf };

// Which entry the host shows: the provider's timeline, or one of its stand-ins.
enum class ContentSource { timeline, snapshot, placeholder };

enum class HostAction { run, help, version, describe };

// The widget host's own command line; the widget's code reads none of it.
struct HostOptions {
    HostAction action = HostAction::run;
    std::optional<std::filesystem::path> output;
    bool once = false;
    ContentSource source = ContentSource::timeline;
    std::optional<WidgetFamily> family;
    std::optional<int> scale;
    double timeoutSeconds = 30;
    PlaceRequest placement;
};

struct UsageError {
    std::string message;
};

foundation::Expected<HostOptions, UsageError>
parseHostOptions(const std::vector<std::string>& args);

std::optional<OutputFormat> outputFormat(const std::filesystem::path& path);

// The family to show: the one asked for if the widget offers it, else the widget's first.
foundation::Expected<WidgetFamily, UsageError> chooseFamily(const HostOptions& options,
                                                            const WidgetDescriptor& widget);

std::string helpText(std::string_view program);
// kind, displayName, description and families, as one line of JSON.
std::string describeJSON(const WidgetDescriptor& widget);

} // namespace platform::widget
