#pragma once

#include <string>

namespace platform::ui {

// A system font request; the face is chosen by fontconfig ("sans-serif" unless the environment
// variable TRELVO_TEST_FONT names a family, which tests use for stable metrics).
struct Font {
    enum class Weight { ultraLight, thin, light, regular, medium, semibold, bold, heavy, black };
    // standard is the platform's default design.
    enum class Design { standard, serif, rounded, monospaced };

    double size = 13;
    Weight weight = Weight::regular;
    Design design = Design::standard;

    static Font system(double size, Weight weight = Weight::regular,
                       Design design = Design::standard) {
        return {size, weight, design};
    }
    // Body text: 13 points, regular.
    static Font body() { return {}; }
    friend bool operator==(const Font&, const Font&) = default;
};

// The fontconfig family for a design, after the TRELVO_TEST_FONT override.
std::string fontFamily(Font::Design design);
// The CSS-like numeric weight (100...900) fontconfig and Pango use.
int numericWeight(Font::Weight weight);

} // namespace platform::ui
