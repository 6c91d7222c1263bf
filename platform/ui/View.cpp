#include "platform/ui/View.h"

#include "platform/ui/ViewNode.h"

namespace platform::ui {
namespace {

std::shared_ptr<const detail::Node> emptyNode() {
    static const auto empty =
        std::make_shared<const detail::Node>(detail::Node{detail::EmptyNode{}});
    return empty;
}

} // namespace

View::View()
    : node_(emptyNode()) {}

View::View(Color color)
    : node_(std::make_shared<const detail::Node>(detail::Node{
          detail::ShapeNode{.kind = detail::ShapeKind::rectangle, .fill = ShapeStyle(color)}})) {}

View View::composite(std::function<View()> body) {
    return make(detail::Node{detail::CompositeNode{std::move(body)}});
}

View View::make(detail::Node node) {
    return View(std::make_shared<const detail::Node>(std::move(node)));
}

template <class Modifier> View View::modified(Modifier modifier) const {
    return make(detail::Node{detail::ModifiedNode{*this, detail::Modifier(std::move(modifier))}});
}

View View::frame(std::optional<double> width, std::optional<double> height,
                 Alignment alignment) const {
    return modified(detail::FixedFrame{width, height, alignment});
}

View View::frame(const FlexibleFrame& limits) const {
    return modified(limits);
}

View View::padding(double length) const {
    return padding(Edge::all, length);
}

View View::padding(Edge::Set edges, std::optional<double> length) const {
    const double l = length.value_or(16.0);
    return padding(EdgeInsets{(edges & Edge::top) ? l : 0, (edges & Edge::leading) ? l : 0,
                              (edges & Edge::bottom) ? l : 0, (edges & Edge::trailing) ? l : 0});
}

View View::padding(EdgeInsets insets) const {
    return modified(detail::Padding{insets});
}

View View::offset(double x, double y) const {
    return modified(detail::Offset{x, y});
}

View View::rotationEffect(Angle angle, UnitPoint anchor) const {
    return modified(detail::Rotation{angle, anchor});
}

View View::background(const View& content, Alignment alignment) const {
    return modified(detail::Background{content, alignment});
}

View View::font(Font font) const {
    return modified(detail::FontEnvironment{font});
}

View View::fontWeight(Font::Weight weight) const {
    return modified(detail::WeightEnvironment{weight});
}

View View::bold() const {
    return fontWeight(Font::Weight::bold);
}

View View::foregroundColor(Color color) const {
    return modified(detail::ColorEnvironment{color});
}

View View::lineLimit(std::optional<int> lines) const {
    return modified(detail::LineLimitEnvironment{lines});
}

View View::onAppear(std::function<void()> action) const {
    return modified(detail::AppearAction{std::move(action)});
}

bool View::isEmpty() const {
    return std::holds_alternative<detail::EmptyNode>(node_->value);
}

} // namespace platform::ui
