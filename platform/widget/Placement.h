#pragma once

#include "platform/ui/Geometry.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::widget {

enum class Corner { topLeft, topRight, bottomLeft, bottomRight, center };

std::optional<Corner> cornerNamed(std::string_view name);
std::string_view nameOf(Corner corner);

// Whole points in the desktop's coordinates (what window managers and compositors place by).
struct Rect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    bool overlaps(const Rect& other) const;
    friend bool operator==(const Rect&, const Rect&) = default;
};

struct Monitor {
    std::string name; // the connector, as the desktop shows it ("HDMI-1")
    Rect area;        // where widgets may stand: the monitor less panels and docks
    bool primary = false;
};

// Where a widget stands: a monitor, the corner it keeps to, and how far its near edges are from
// that corner's edges (from the monitor's centre for `center`). Relative to a corner, so that a
// widget stays in its corner when the monitor changes size.
struct Place {
    std::string monitor; // empty: the primary monitor
    Corner corner = Corner::topRight;
    int dx = 16;
    int dy = 16;

    friend bool operator==(const Place&, const Place&) = default;
};

inline constexpr int defaultMargin = 16;

// What the command line asks of a desktop window's place; anything given wins over the place
// the person last chose.
struct PlaceRequest {
    std::optional<Corner> position;
    std::optional<int> margin;
    std::optional<std::string> monitor;

    bool given() const { return position || margin || monitor; }
};

// The place a widget starts at, and whether it moves clear of the suite's other widgets (not
// when the person put it where it is).
struct StartingPlace {
    Place place;
    bool stack = true;
    int margin = defaultMargin;
};

StartingPlace startingPlace(const PlaceRequest& request, const std::optional<Place>& remembered);

// The monitor a place names, else the primary one, else the first; nullopt when there is none.
std::optional<Monitor> monitorFor(const Place& place, const std::vector<Monitor>& monitors);

Rect frameOf(const Place& place, const Rect& area, ui::Size widget);

// The same corner, its offsets shortened so that the whole widget shows on `area`.
Place pulledInside(Place place, const Rect& area, ui::Size widget);

// Where a widget the person has moved to `frame` stands: anchored to the nearest corner.
Place placeOfFrame(const Rect& frame, const Monitor& monitor);

// `wanted`, moved away from its corner (down from a top or centre one, up from a bottom one) past
// every frame in `taken` that it would overlap, a margin apart.
Place stacked(Place wanted, const Rect& area, ui::Size widget, const std::vector<Rect>& taken,
              int margin);

} // namespace platform::widget
