#pragma once

#include "platform/ui/Color.h"
#include "platform/ui/Geometry.h"
#include "platform/ui/TextLayout.h"

#include <vector>

namespace platform::ui {

// How a renderer draws text. A placeholder is drawn redacted: each line of text as a rounded
// bar in the text's colour, faded, instead of its glyphs, so that content standing in for data
// not yet known is never read as data. Shapes and images are drawn as they are.
enum class Redaction { none, placeholder };

// The bars that stand for the text's lines, in the layout's coordinates: as wide as each line
// is laid out, between the font's x-height and cap height tall, across the middle of the
// capitals. A line with nothing laid out has none.
std::vector<Rect> redactionBars(const TextLayout& text);

// A bar's paint: the text's colour at 0.3 of its opacity.
Color redactionColor(const Color& text);

} // namespace platform::ui
