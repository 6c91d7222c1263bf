#include "platform/foundation/ProgramLookup.h"

#include <cstdlib>
#include <string>
#include <system_error>
#include <unistd.h>

namespace platform::foundation {

namespace fs = std::filesystem;

namespace {

bool isExecutableFile(const fs::path& file) {
    std::error_code error;
    return fs::is_regular_file(file, error) && ::access(file.c_str(), X_OK) == 0;
}

} // namespace

fs::path runningExecutable() {
    std::error_code error;
    auto path = fs::read_symlink("/proc/self/exe", error);
    return error ? fs::path() : path;
}

std::optional<fs::path> findProgram(std::string_view name, const fs::path& beside) {
    if (!beside.empty() && isExecutableFile(beside / name)) {
        return beside / name;
    }
    const char* path = std::getenv("PATH");
    for (std::string_view rest = path ? path : ""; !rest.empty();) {
        const auto end = rest.find(':');
        const auto folder = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        if (!folder.empty() && isExecutableFile(fs::path(folder) / name)) {
            return fs::path(folder) / name;
        }
    }
    return std::nullopt;
}

} // namespace platform::foundation
