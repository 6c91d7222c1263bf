#include "platform/widget/PlaceMemory.h"

#include "platform/widget/AtomicFile.h"

#include <cstdlib>
#include <fstream>
#include <nlohmann/json.hpp>

namespace platform::widget {

namespace fs = std::filesystem;

std::optional<PlaceMemory> PlaceMemory::forKind(const std::string& kind) {
    fs::path state;
    if (const char* named = std::getenv("XDG_STATE_HOME"); named && *named == '/') {
        state = named;
    } else if (const char* home = std::getenv("HOME"); home && *home) {
        state = fs::path(home) / ".local" / "state";
    } else {
        return std::nullopt;
    }
    return PlaceMemory(state / "trelvo" / (kind + ".place.json"));
}

std::optional<Place> PlaceMemory::recall() const {
    std::ifstream in(file_);
    auto json = nlohmann::json::parse(in, nullptr, false);
    if (!json.is_object()) {
        return std::nullopt;
    }
    auto text = [&](const char* key) {
        auto it = json.find(key);
        return it != json.end() && it->is_string() ? it->get<std::string>() : std::string();
    };
    auto number = [&](const char* key) -> std::optional<int> {
        auto it = json.find(key);
        if (it == json.end() || !it->is_number_integer() ||
            std::abs(it->get<long long>()) > 100000) {
            return std::nullopt;
        }
        return it->get<int>();
    };
    auto corner = cornerNamed(text("corner"));
    auto dx = number("x");
    auto dy = number("y");
    if (!corner || !dx || !dy) {
        return std::nullopt;
    }
    return Place{text("monitor"), *corner, *dx, *dy};
}

bool PlaceMemory::remember(const Place& place) const {
    std::error_code error;
    fs::create_directories(file_.parent_path(), error);
    nlohmann::ordered_json json{{"monitor", place.monitor},
                                {"corner", std::string(nameOf(place.corner))},
                                {"x", place.dx},
                                {"y", place.dy}};
    return !writeFileAtomically(file_, json.dump() + "\n");
}

} // namespace platform::widget
