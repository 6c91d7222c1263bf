#pragma once

#include "platform/ui/View.h"

#include <filesystem>
#include <string>

namespace platform::ui {

// A named image asset, "<name>.svg" (librsvg) or "<name>.png", shown at its own size. Without a
// folder it comes from the main resources (setMainResources). A missing or unreadable image
// takes no space and draws nothing.
class Image : public View {
public:
    explicit Image(std::string name);
    Image(std::string name, std::filesystem::path bundleDirectory);
};

} // namespace platform::ui
