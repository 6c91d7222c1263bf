#pragma once

// The values behind a View, read by the layout engine. Not for use by system code.

#include "platform/ui/LocalizedStringKey.h"
#include "platform/ui/ShapeStyle.h"
#include "platform/ui/StrokeStyle.h"
#include "platform/ui/View.h"

#include <filesystem>
#include <string>
#include <variant>
#include <vector>

namespace platform::ui::detail {

struct EmptyNode {};

struct TextNode {
    std::variant<std::string, LocalizedStringKey> content; // verbatim, or looked up
    std::optional<Font> font;
    std::optional<Font::Weight> weight;
    std::optional<Color> color;
    std::optional<int> lineLimit;
};

struct ImageNode {
    std::string name;
    std::optional<std::filesystem::path> directory; // nullopt: the main bundle's
};

enum class ShapeKind { circle, rectangle, roundedRectangle };

struct ShapeStroke {
    ShapeStyle paint;
    StrokeStyle style;
};

struct ShapeNode {
    ShapeKind kind = ShapeKind::rectangle;
    double cornerRadius = 0;
    double scale = 1;
    UnitPoint scaleAnchor = UnitPoint::center;
    double trimFrom = 0;
    double trimTo = 1;
    std::optional<ShapeStroke> stroke;
    std::optional<ShapeStyle> fill; // nullopt: the inherited foreground colour
};

enum class StackAxis { vertical, horizontal, depth };

struct StackNode {
    StackAxis axis = StackAxis::vertical;
    Alignment alignment;
    std::optional<double> spacing;
    std::vector<View> children;
};

struct ButtonNode {
    std::function<void()> action;
    View label;
};

struct CompositeNode {
    std::function<View()> body;
};

struct FixedFrame {
    std::optional<double> width;
    std::optional<double> height;
    Alignment alignment;
};

struct Padding {
    EdgeInsets insets;
};

struct Offset {
    double x = 0;
    double y = 0;
};

struct Rotation {
    Angle angle;
    UnitPoint anchor;
};

struct Background {
    View content;
    Alignment alignment;
};

struct FontEnvironment {
    Font font;
};

struct WeightEnvironment {
    Font::Weight weight;
};

struct ColorEnvironment {
    Color color;
};

struct LineLimitEnvironment {
    std::optional<int> lines;
};

struct AppearAction {
    std::function<void()> action;
};

using Modifier =
    std::variant<FixedFrame, FlexibleFrame, Padding, Offset, Rotation, Background, FontEnvironment,
                 WeightEnvironment, ColorEnvironment, LineLimitEnvironment, AppearAction>;

struct ModifiedNode {
    View content;
    Modifier modifier;
};

struct Node {
    std::variant<EmptyNode, TextNode, ImageNode, ShapeNode, StackNode, ButtonNode, CompositeNode,
                 ModifiedNode>
        value;
};

} // namespace platform::ui::detail
