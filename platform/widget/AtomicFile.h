#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace platform::widget {

struct FileError {
    std::string message;
};

// Replaces the file at `path` with `bytes` so that a reader sees the old file or the new one,
// never a part: a temporary file in the same folder is written, synced and renamed over it.
// On failure the old file is left as it was and no temporary file remains.
std::optional<FileError> writeFileAtomically(const std::filesystem::path& path,
                                             std::string_view bytes);

} // namespace platform::widget
