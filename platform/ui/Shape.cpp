#include "platform/ui/Shape.h"

#include "platform/ui/ViewNode.h"

namespace platform::ui {
namespace {

std::shared_ptr<const detail::Node> shapeNode(detail::ShapeNode shape) {
    return std::make_shared<const detail::Node>(detail::Node{std::move(shape)});
}

detail::ShapeNode shapeOf(const View& view) {
    return std::get<detail::ShapeNode>(view.node().value);
}

} // namespace

Shape Shape::ofKind(int kind, double cornerRadius) {
    return Shape(
        shapeNode({.kind = static_cast<detail::ShapeKind>(kind), .cornerRadius = cornerRadius}));
}

Shape Shape::scale(double factor, UnitPoint anchor) const {
    auto shape = shapeOf(*this);
    shape.scale *= factor;
    shape.scaleAnchor = anchor;
    return Shape(shapeNode(std::move(shape)));
}

Shape Shape::trim(double from, double to) const {
    auto shape = shapeOf(*this);
    // A trim of a trim keeps the part of the part.
    const double span = shape.trimTo - shape.trimFrom;
    shape.trimTo = shape.trimFrom + span * to;
    shape.trimFrom = shape.trimFrom + span * from;
    return Shape(shapeNode(std::move(shape)));
}

View Shape::stroke(ShapeStyle paint, double lineWidth) const {
    return stroke(std::move(paint), StrokeStyle{.lineWidth = lineWidth});
}

View Shape::stroke(ShapeStyle paint, StrokeStyle style) const {
    auto shape = shapeOf(*this);
    shape.stroke = detail::ShapeStroke{std::move(paint), std::move(style)};
    return make(detail::Node{std::move(shape)});
}

View Shape::fill(ShapeStyle paint) const {
    auto shape = shapeOf(*this);
    shape.fill = std::move(paint);
    return make(detail::Node{std::move(shape)});
}

Circle::Circle()
    : Shape(ofKind(static_cast<int>(detail::ShapeKind::circle), 0)) {}

Rectangle::Rectangle()
    : Shape(ofKind(static_cast<int>(detail::ShapeKind::rectangle), 0)) {}

RoundedRectangle::RoundedRectangle(double cornerRadius)
    : Shape(ofKind(static_cast<int>(detail::ShapeKind::roundedRectangle), cornerRadius)) {}

} // namespace platform::ui
