#pragma once

namespace platform::ui {

enum class ColorSpace { sRGB };

// A colour value; components nominally 0...1, straight (not premultiplied) alpha. Values outside
// the range are kept as given and clamped only when drawn.
struct Color {
    ColorSpace colorSpace = ColorSpace::sRGB;
    // Red, green, blue and the opacity. (The names red, blue... are the system colours.)
    double r = 0;
    double g = 0;
    double b = 0;
    double a = 1;

    constexpr Color() = default;
    constexpr Color(ColorSpace space, double red, double green, double blue, double opacity = 1)
        : colorSpace(space)
        , r(red)
        , g(green)
        , b(blue)
        , a(opacity) {}

    // The system colours in the light appearance (sRGB).
    static const Color black;
    static const Color white;
    static const Color clear;
    static const Color blue;      // system blue   #007AFF
    static const Color pink;      // system pink   #FF2D55
    static const Color purple;    // system purple #AF52DE
    static const Color red;       // system red    #FF3B30
    static const Color gray;      // system gray   #8E8E93
    static const Color primary;   // label colour: black at 85 %
    static const Color secondary; // secondary label colour: black at 50 %

    Color withOpacity(double opacity) const { return {colorSpace, r, g, b, opacity}; }
    // False when a component is not a number or infinite: such a paint draws nothing.
    bool isDrawable() const;
    friend constexpr bool operator==(const Color&, const Color&) = default;
};

namespace detail {
constexpr Color rgb255(int r, int g, int b, double a = 1) {
    return {ColorSpace::sRGB, r / 255.0, g / 255.0, b / 255.0, a};
}
} // namespace detail

inline constexpr Color Color::black{ColorSpace::sRGB, 0, 0, 0, 1};
inline constexpr Color Color::white{ColorSpace::sRGB, 1, 1, 1, 1};
inline constexpr Color Color::clear{ColorSpace::sRGB, 0, 0, 0, 0};
inline constexpr Color Color::blue = detail::rgb255(0, 122, 255);
inline constexpr Color Color::pink = detail::rgb255(255, 45, 85);
inline constexpr Color Color::purple = detail::rgb255(175, 82, 222);
inline constexpr Color Color::red = detail::rgb255(255, 59, 48);
inline constexpr Color Color::gray = detail::rgb255(142, 142, 147);
inline constexpr Color Color::primary{ColorSpace::sRGB, 0, 0, 0, 0.85};
inline constexpr Color Color::secondary{ColorSpace::sRGB, 0, 0, 0, 0.5};

} // namespace platform::ui
