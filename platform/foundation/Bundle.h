#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace platform::foundation {

// The running program's bundle: its identity (from the build) and its resources folder.
//
// The resources folder is found relative to the executable, first match wins:
//   1. <folder of the executable>/Resources            (the build tree)
//   2. <folder of the executable>/../share/<identifier> (installed: <prefix>/bin/X)
// Without either, the bundle has no resources and every lookup answers nothing.
class Bundle {
public:
    using InfoDictionary = std::map<std::string, std::string, std::less<>>;

    // The bundle of /proc/self/exe, found once.
    static const Bundle& main();
    // The bundle an executable at this path would have (installed layouts, tests).
    static Bundle forExecutable(const std::filesystem::path& executable);

    // CFBundleIdentifier, CFBundleName, CFBundleExecutable, CFBundleShortVersionString and
    // CFBundleVersion.
    const InfoDictionary& infoDictionary() const { return info_; }
    std::optional<std::string> object(std::string_view forInfoDictionaryKey) const;
    const std::string& bundleIdentifier() const;

    std::optional<std::filesystem::path> resourceURL() const { return resources_; }
    // <resources>/<name>.<type> (or <name> when type is empty), when that file exists. A name
    // holding a path separator or naming a folder above is never looked up.
    std::optional<std::filesystem::path> path(std::string_view forResource,
                                              std::string_view ofType) const;

private:
    Bundle(InfoDictionary info, std::optional<std::filesystem::path> resources);

    InfoDictionary info_;
    std::optional<std::filesystem::path> resources_;
};

} // namespace platform::foundation
