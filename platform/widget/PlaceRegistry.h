#pragma once

#include "platform/widget/GLibHandles.h"
#include "platform/widget/Placement.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace platform::widget {

// The places the suite's running widgets hold, one small record per process in a folder under
// $XDG_RUNTIME_DIR, read and written under a lock: widgets started together stack instead of
// covering each other, and no daemon is needed. A record whose process has gone counts for
// nothing; our own goes with the registry.
class PlaceRegistry {
public:
    // nullopt when there is no runtime folder to share (then nothing is coordinated).
    static std::optional<PlaceRegistry> open(std::string kind);
    PlaceRegistry(std::filesystem::path folder, std::string kind);
    ~PlaceRegistry();
    PlaceRegistry(PlaceRegistry&& other) noexcept;
    PlaceRegistry& operator=(PlaceRegistry&&) = delete;

    // Under the lock: `choose` sees the frames the other live widgets hold on `monitor`, and the
    // frame it returns is recorded as ours.
    Rect claim(const std::string& monitor,
               const std::function<Rect(const std::vector<Rect>&)>& choose);
    // Records where we stand now (after the person moved us).
    void update(const std::string& monitor, const Rect& frame);

    struct Holder {
        pid_t pid = 0;
        std::string kind;
    };
    // The live widgets holding a place, of every kind (what the widget gallery shows as on).
    static std::vector<Holder> holders(const std::filesystem::path& folder);
    // $XDG_RUNTIME_DIR's folder of records; nullopt without a runtime folder.
    static std::optional<std::filesystem::path> folder();

private:
    std::filesystem::path folder_;
    std::string kind_;
    std::filesystem::path record_;
};

} // namespace platform::widget
