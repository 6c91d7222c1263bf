#include "platform/widget/Placement.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

namespace platform::widget {

namespace {

constexpr std::array<std::pair<Corner, std::string_view>, 5> cornerNames{{
    {Corner::topLeft, "top-left"},
    {Corner::topRight, "top-right"},
    {Corner::bottomLeft, "bottom-left"},
    {Corner::bottomRight, "bottom-right"},
    {Corner::center, "center"},
}};

bool isRight(Corner c) {
    return c == Corner::topRight || c == Corner::bottomRight;
}
bool isBottom(Corner c) {
    return c == Corner::bottomLeft || c == Corner::bottomRight;
}

int width(ui::Size size) {
    return static_cast<int>(std::ceil(size.width));
}
int height(ui::Size size) {
    return static_cast<int>(std::ceil(size.height));
}

} // namespace

std::optional<Corner> cornerNamed(std::string_view name) {
    for (auto [corner, text] : cornerNames) {
        if (text == name) {
            return corner;
        }
    }
    return std::nullopt;
}

std::string_view nameOf(Corner corner) {
    for (auto [c, text] : cornerNames) {
        if (c == corner) {
            return text;
        }
    }
    return {};
}

bool Rect::overlaps(const Rect& o) const {
    return x < o.x + o.width && o.x < x + width && y < o.y + o.height && o.y < y + height;
}

std::optional<Monitor> monitorFor(const Place& place, const std::vector<Monitor>& monitors) {
    auto named = std::find_if(monitors.begin(), monitors.end(),
                              [&](const Monitor& m) { return m.name == place.monitor; });
    if (named == monitors.end()) {
        named = std::find_if(monitors.begin(), monitors.end(),
                             [](const Monitor& m) { return m.primary; });
    }
    if (named == monitors.end()) {
        named = monitors.begin();
    }
    return named == monitors.end() ? std::nullopt : std::optional(*named);
}

Rect frameOf(const Place& place, const Rect& area, ui::Size widget) {
    Rect frame{0, 0, width(widget), height(widget)};
    if (place.corner == Corner::center) {
        frame.x = area.x + (area.width - frame.width) / 2 + place.dx;
        frame.y = area.y + (area.height - frame.height) / 2 + place.dy;
        return frame;
    }
    frame.x =
        isRight(place.corner) ? area.x + area.width - frame.width - place.dx : area.x + place.dx;
    frame.y =
        isBottom(place.corner) ? area.y + area.height - frame.height - place.dy : area.y + place.dy;
    return frame;
}

Place pulledInside(Place place, const Rect& area, ui::Size widget) {
    const int roomX = std::max(area.width - width(widget), 0);
    const int roomY = std::max(area.height - height(widget), 0);
    if (place.corner == Corner::center) {
        place.dx = std::clamp(place.dx, -roomX / 2, roomX - roomX / 2);
        place.dy = std::clamp(place.dy, -roomY / 2, roomY - roomY / 2);
    } else {
        place.dx = std::clamp(place.dx, 0, roomX);
        place.dy = std::clamp(place.dy, 0, roomY);
    }
    return place;
}

Place placeOfFrame(const Rect& frame, const Monitor& monitor) {
    const Rect& area = monitor.area;
    const bool right = 2 * (frame.x - area.x) + frame.width > area.width;
    const bool bottom = 2 * (frame.y - area.y) + frame.height > area.height;
    Place place{monitor.name,
                bottom ? (right ? Corner::bottomRight : Corner::bottomLeft)
                       : (right ? Corner::topRight : Corner::topLeft),
                0, 0};
    place.dx = right ? area.x + area.width - frame.x - frame.width : frame.x - area.x;
    place.dy = bottom ? area.y + area.height - frame.y - frame.height : frame.y - area.y;
    return pulledInside(place, area, {double(frame.width), double(frame.height)});
}

StartingPlace startingPlace(const PlaceRequest& request, const std::optional<Place>& remembered) {
    if (remembered && !request.given()) {
        return {*remembered, false, defaultMargin};
    }
    const int margin = request.margin.value_or(defaultMargin);
    const auto corner = request.position.value_or(Corner::topRight);
    // The centre's offsets are from the centre: a margin means nothing there.
    const int offset = corner == Corner::center ? 0 : margin;
    return {{request.monitor.value_or(""), corner, offset, offset}, true, margin};
}

Place stacked(Place wanted, const Rect& area, ui::Size widget, const std::vector<Rect>& taken,
              int margin) {
    // Each pass moves past one frame in the way; a frame can only be passed once.
    for (std::size_t pass = 0; pass <= taken.size(); ++pass) {
        const Rect frame = frameOf(wanted, area, widget);
        auto blocking = std::find_if(taken.begin(), taken.end(),
                                     [&](const Rect& t) { return t.overlaps(frame); });
        if (blocking == taken.end()) {
            break;
        }
        wanted.dy = isBottom(wanted.corner)
                        ? area.y + area.height - blocking->y + margin
                        : blocking->y + blocking->height + margin - (frame.y - wanted.dy);
    }
    return wanted;
}

} // namespace platform::widget
