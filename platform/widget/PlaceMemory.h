#pragma once

#include "platform/widget/Placement.h"

#include <filesystem>
#include <optional>
#include <string>

namespace platform::widget {

// Where the person last put a widget of one kind, kept in $XDG_STATE_HOME (~/.local/state by
// default) and taken at its next start.
class PlaceMemory {
public:
    // nullopt when there is no state folder to keep it in (no HOME either).
    static std::optional<PlaceMemory> forKind(const std::string& kind);
    explicit PlaceMemory(std::filesystem::path file)
        : file_(std::move(file)) {}

    // nullopt when nothing was kept, or what was kept cannot be read.
    std::optional<Place> recall() const;
    // Written whole or not at all; false when it could not be.
    bool remember(const Place& place) const;

    const std::filesystem::path& file() const { return file_; }

private:
    std::filesystem::path file_;
};

} // namespace platform::widget
