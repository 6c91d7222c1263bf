#pragma once

#include <cmath>
#include <optional>

namespace platform::ui {

// Lengths are in points; the vertical axis points down.
struct Point {
    double x = 0;
    double y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
    double width = 0;
    double height = 0;
    friend bool operator==(const Size&, const Size&) = default;
};

struct Rect {
    Point origin;
    Size size;

    double minX() const { return origin.x; }
    double minY() const { return origin.y; }
    double maxX() const { return origin.x + size.width; }
    double maxY() const { return origin.y + size.height; }
    double midX() const { return origin.x + size.width / 2; }
    double midY() const { return origin.y + size.height / 2; }
    Point center() const { return {midX(), midY()}; }
    bool contains(Point p) const {
        return p.x >= minX() && p.x < maxX() && p.y >= minY() && p.y < maxY();
    }
    friend bool operator==(const Rect&, const Rect&) = default;
};

// What a parent offers a child along each axis: nullopt asks for the child's ideal size,
// infinity for its largest.
struct ProposedSize {
    std::optional<double> width;
    std::optional<double> height;

    static ProposedSize unspecified() { return {}; }
    static ProposedSize infinity() { return {INFINITY, INFINITY}; }
    static ProposedSize zero() { return {0.0, 0.0}; }
    ProposedSize() = default;
    ProposedSize(std::optional<double> w, std::optional<double> h)
        : width(w)
        , height(h) {}
    ProposedSize(Size size)
        : width(size.width)
        , height(size.height) {}
    friend bool operator==(const ProposedSize&, const ProposedSize&) = default;
};

struct EdgeInsets {
    double top = 0;
    double leading = 0;
    double bottom = 0;
    double trailing = 0;
    friend bool operator==(const EdgeInsets&, const EdgeInsets&) = default;
};

inline bool isFinite(Point p) {
    return std::isfinite(p.x) && std::isfinite(p.y);
}
inline bool isFinite(Size s) {
    return std::isfinite(s.width) && std::isfinite(s.height);
}
inline bool isFinite(Rect r) {
    return isFinite(r.origin) && isFinite(r.size);
}

} // namespace platform::ui
