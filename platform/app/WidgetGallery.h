#pragma once

#include "platform/app/RuntimeStrings.h"
#include "platform/foundation/Expected.h"

#include <filesystem>
#include <optional>
#include <string>

namespace platform::app {

// The widget gallery is a program of its own, shipped beside the application's executable;
// another install of it may be on PATH.
inline constexpr const char* widgetGalleryProgram = "trelvo-widget-gallery";

// The gallery beside the executables in `folder` first, else the first on PATH; nullopt when
// neither is an executable file.
std::optional<std::filesystem::path> findWidgetGallery(const std::filesystem::path& folder);

// Starts the gallery found for the running executable, detached (it outlives the application).
// The path started, or the message the user is shown.
foundation::Expected<std::filesystem::path, std::string>
openWidgetGallery(const RuntimeStrings& strings);

} // namespace platform::app
