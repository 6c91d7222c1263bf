#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace platform::gallery {

// The desktop entry key that marks a widget program; its value is the widget's kind.
inline constexpr const char* widgetKey = "X-Trelvo-Widget";

// A widget program installed on this system, as its desktop entry and the program itself
// describe it.
struct InstalledWidget {
    std::string id; // the desktop entry's name without ".desktop"
    std::string kind;
    std::filesystem::path program;
    std::string displayName;
    std::string description;
    std::vector<std::string> families; // "small", "medium", as the program's --family takes them
};

// The folders holding applications' desktop entries, most important first: the data folders of
// the session ($XDG_DATA_HOME, $XDG_DATA_DIRS), then the share folder beside `executable`'s
// (an installed prefix that has been moved).
std::vector<std::filesystem::path> applicationFolders(const std::filesystem::path& executable);

// Every marked entry whose program can be found (beside `executable`, then on PATH) and
// describes itself; an entry of a folder earlier in the list hides one of the same name later.
std::vector<InstalledWidget> findInstalledWidgets(const std::vector<std::filesystem::path>& folders,
                                                  const std::filesystem::path& executable);

} // namespace platform::gallery
