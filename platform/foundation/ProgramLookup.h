#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

namespace platform::foundation {

// A program of the suite by name: beside the executables in `beside` first (an installed prefix,
// moved or not, or the build tree), else the first executable file of that name on PATH.
std::optional<std::filesystem::path> findProgram(std::string_view name,
                                                 const std::filesystem::path& beside);

} // namespace platform::foundation
