#include "platform/ui/Font.h"

#include <cstdlib>

namespace platform::ui {

std::string fontFamily(Font::Design design) {
    if (const char* forced = std::getenv("TRELVO_TEST_FONT"); forced && *forced) {
        return forced;
    }
    switch (design) {
    case Font::Design::serif:
        return "serif";
    case Font::Design::monospaced:
        return "monospace";
    case Font::Design::standard:
    case Font::Design::rounded:
        break;
    }
    return "sans-serif";
}

int numericWeight(Font::Weight weight) {
    switch (weight) {
    case Font::Weight::ultraLight:
        return 200;
    case Font::Weight::thin:
        return 100;
    case Font::Weight::light:
        return 300;
    case Font::Weight::regular:
        return 400;
    case Font::Weight::medium:
        return 500;
    case Font::Weight::semibold:
        return 600;
    case Font::Weight::bold:
        return 700;
    case Font::Weight::heavy:
        return 800;
    case Font::Weight::black:
        return 900;
    }
    return 400;
}

} // namespace platform::ui
