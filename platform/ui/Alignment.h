#pragma once

namespace platform::ui {

// A point in a frame as fractions of its size: (0, 0) the top-left corner, (1, 1) bottom-right.
struct UnitPoint {
    double x = 0.5;
    double y = 0.5;

    static const UnitPoint center;
    static const UnitPoint topLeading;
    static const UnitPoint top;
    static const UnitPoint topTrailing;
    static const UnitPoint leading;
    static const UnitPoint trailing;
    static const UnitPoint bottomLeading;
    static const UnitPoint bottom;
    static const UnitPoint bottomTrailing;
    friend constexpr bool operator==(const UnitPoint&, const UnitPoint&) = default;
};

inline constexpr UnitPoint UnitPoint::center{0.5, 0.5};
inline constexpr UnitPoint UnitPoint::topLeading{0, 0};
inline constexpr UnitPoint UnitPoint::top{0.5, 0};
inline constexpr UnitPoint UnitPoint::topTrailing{1, 0};
inline constexpr UnitPoint UnitPoint::leading{0, 0.5};
inline constexpr UnitPoint UnitPoint::trailing{1, 0.5};
inline constexpr UnitPoint UnitPoint::bottomLeading{0, 1};
inline constexpr UnitPoint UnitPoint::bottom{0.5, 1};
inline constexpr UnitPoint UnitPoint::bottomTrailing{1, 1};

enum class HorizontalAlignment { leading, center, trailing };
enum class VerticalAlignment { top, center, bottom };

struct Alignment {
    HorizontalAlignment horizontal = HorizontalAlignment::center;
    VerticalAlignment vertical = VerticalAlignment::center;

    static const Alignment center;
    static const Alignment topLeading;
    static const Alignment top;
    static const Alignment topTrailing;
    static const Alignment leading;
    static const Alignment trailing;
    static const Alignment bottomLeading;
    static const Alignment bottom;
    static const Alignment bottomTrailing;
    friend constexpr bool operator==(const Alignment&, const Alignment&) = default;
};

inline constexpr Alignment Alignment::center{};
inline constexpr Alignment Alignment::topLeading{HorizontalAlignment::leading,
                                                 VerticalAlignment::top};
inline constexpr Alignment Alignment::top{HorizontalAlignment::center, VerticalAlignment::top};
inline constexpr Alignment Alignment::topTrailing{HorizontalAlignment::trailing,
                                                  VerticalAlignment::top};
inline constexpr Alignment Alignment::leading{HorizontalAlignment::leading,
                                              VerticalAlignment::center};
inline constexpr Alignment Alignment::trailing{HorizontalAlignment::trailing,
                                               VerticalAlignment::center};
inline constexpr Alignment Alignment::bottomLeading{HorizontalAlignment::leading,
                                                    VerticalAlignment::bottom};
inline constexpr Alignment Alignment::bottom{HorizontalAlignment::center,
                                             VerticalAlignment::bottom};
inline constexpr Alignment Alignment::bottomTrailing{HorizontalAlignment::trailing,
                                                     VerticalAlignment::bottom};

constexpr double fraction(HorizontalAlignment a) {
    return a == HorizontalAlignment::leading ? 0.0 : a == HorizontalAlignment::center ? 0.5 : 1.0;
}
constexpr double fraction(VerticalAlignment a) {
    return a == VerticalAlignment::top ? 0.0 : a == VerticalAlignment::center ? 0.5 : 1.0;
}

} // namespace platform::ui
