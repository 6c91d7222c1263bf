#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

namespace platform::foundation {

// The running program's own file (/proc/self/exe); empty when it cannot be read.
std::filesystem::path runningExecutable();

// A program of the suite by name: beside the executables in `beside` first (an installed prefix,
// moved or not, or the build tree), else the first executable file of that name on PATH.
std::optional<std::filesystem::path> findProgram(std::string_view name,
                                                 const std::filesystem::path& beside);

} // namespace platform::foundation
