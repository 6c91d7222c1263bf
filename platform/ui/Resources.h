#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace platform::ui {

// Looks up the translation of a localisable key; nullopt when the table has none.
using StringTable = std::function<std::optional<std::string>(std::string_view key)>;

// Where the main bundle's strings and images come from. The application or widget runtime sets
// them once at start; until then keys are shown as written and named images are not found.
struct Resources {
    StringTable strings;
    // Folder of image assets: "<name>.svg" or "<name>.png".
    std::filesystem::path directory;
};

void setMainResources(Resources resources);
Resources mainResources();

// Test seam: replaces the main resources while alive.
class ScopedResources {
public:
    explicit ScopedResources(Resources resources);
    ~ScopedResources();
    ScopedResources(const ScopedResources&) = delete;
    ScopedResources& operator=(const ScopedResources&) = delete;

private:
    Resources saved_;
};

} // namespace platform::ui
