#include "platform/foundation/Bundle.h"

#include "platform/foundation/ProgramLookup.h"

#include <system_error>

#if !defined(TRELVO_BUNDLE_IDENTIFIER) || !defined(TRELVO_BUNDLE_NAME) ||                          \
    !defined(TRELVO_BUNDLE_VERSION)
#error "the build defines the bundle's identity (platform/app/CMakeLists.txt)"
#endif

namespace platform::foundation {
namespace {

namespace fs = std::filesystem;

bool isFolder(const fs::path& path) {
    std::error_code error;
    return fs::is_directory(path, error);
}

std::optional<fs::path> findResources(const fs::path& executable, std::string_view identifier) {
    if (!executable.is_absolute()) {
        return std::nullopt; // never resolve against the working directory
    }
    const auto folder = executable.parent_path();
    for (const auto& candidate :
         {folder / "Resources", folder.parent_path() / "share" / std::string(identifier)}) {
        if (isFolder(candidate)) {
            return candidate.lexically_normal();
        }
    }
    return std::nullopt;
}

bool isPlainName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
}

} // namespace

Bundle::Bundle(InfoDictionary info, std::optional<fs::path> resources)
    : info_(std::move(info))
    , resources_(std::move(resources)) {}

const Bundle& Bundle::main() {
    static const Bundle bundle = forExecutable(runningExecutable());
    return bundle;
}

Bundle Bundle::forExecutable(const fs::path& executable) {
    InfoDictionary info{
        {"CFBundleIdentifier", TRELVO_BUNDLE_IDENTIFIER},
        {"CFBundleName", TRELVO_BUNDLE_NAME},
        {"CFBundleExecutable", executable.filename().string()},
        {"CFBundleShortVersionString", TRELVO_BUNDLE_VERSION},
        {"CFBundleVersion", TRELVO_BUNDLE_VERSION},
    };
    return Bundle(std::move(info), findResources(executable, TRELVO_BUNDLE_IDENTIFIER));
}

std::optional<std::string> Bundle::object(std::string_view forInfoDictionaryKey) const {
    if (auto found = info_.find(forInfoDictionaryKey); found != info_.end()) {
        return found->second;
    }
    return std::nullopt;
}

const std::string& Bundle::bundleIdentifier() const {
    return info_.find("CFBundleIdentifier")->second;
}

std::optional<fs::path> Bundle::path(std::string_view forResource, std::string_view ofType) const {
    if (!resources_ || !isPlainName(forResource) || ofType.find('/') != std::string_view::npos) {
        return std::nullopt;
    }
    std::string name(forResource);
    if (!ofType.empty()) {
        name += '.';
        name += ofType;
    }
    auto candidate = *resources_ / name;
    std::error_code error;
    if (!fs::is_regular_file(candidate, error)) {
        return std::nullopt;
    }
    return candidate;
}

} // namespace platform::foundation
