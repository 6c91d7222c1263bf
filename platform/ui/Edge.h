#pragma once

#include <cstdint>

namespace platform::ui {

struct Edge {
    // A set of edges, combined with |.
    enum Set : std::uint8_t {
        top = 1,
        leading = 2,
        bottom = 4,
        trailing = 8,
        horizontal = leading | trailing,
        vertical = top | bottom,
        all = top | leading | bottom | trailing,
    };
};

constexpr Edge::Set operator|(Edge::Set a, Edge::Set b) {
    return static_cast<Edge::Set>(static_cast<std::uint8_t>(a) | static_cast<std::uint8_t>(b));
}

} // namespace platform::ui
