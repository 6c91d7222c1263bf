#pragma once

#include "platform/gallery/DesktopWidgets.h"
#include "platform/gallery/InstalledWidget.h"

#include <filesystem>
#include <vector>

namespace platform::gallery {

// The gallery's window: each installed widget with its preview, its sizes where it has more
// than one, and a button that adds it to the desktop or removes it. Runs until closed; returns
// the exit status.
int runGalleryWindow(std::vector<InstalledWidget> widgets, const DesktopWidgets& desktop,
                     const std::filesystem::path& scratch);

} // namespace platform::gallery
