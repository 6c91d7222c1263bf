#include "platform/ui/Focus.h"

#include <algorithm>

namespace platform::ui {
namespace {

constexpr double ringWidth = 2;
constexpr double innerEdgeWidth = 1;

void collectButtons(const LayoutNode& node, NodePath& path, std::vector<NodePath>& order) {
    if (!node.visible) {
        return;
    }
    if (node.action) {
        order.push_back(path); // a button's label holds no other focusable element
        return;
    }
    for (std::size_t i = 0; i < node.children.size(); ++i) {
        path.push_back(LayoutNode::place(node.children[i], i));
        collectButtons(node.children[i], path, order);
        path.pop_back();
    }
}

// The shape's outline pushed outwards by `distance`, its corners still concentric with it.
Path outset(Size size, double cornerRadius, double distance) {
    return Path::roundedRect(
        {{-distance, -distance}, {size.width + 2 * distance, size.height + 2 * distance}},
        cornerRadius + distance);
}

} // namespace

std::optional<LocatedNode> locate(const LayoutNode& root, const NodePath& path) {
    LocatedNode found{&root, root.toParent(), root.visible};
    for (auto place : path) {
        const auto& children = found.node->children;
        std::size_t i = 0;
        while (i < children.size() && LayoutNode::place(children[i], i) != place) {
            ++i;
        }
        if (i == children.size()) {
            return std::nullopt;
        }
        found.node = &children[i];
        found.toRoot = found.node->toParent().then(found.toRoot);
        found.visible = found.visible && found.node->visible;
    }
    return found;
}

std::vector<NodePath> focusOrder(const LayoutNode& root) {
    std::vector<NodePath> order;
    NodePath path;
    collectButtons(root, path, order);
    return order;
}

std::optional<NodePath> nextFocus(const LayoutNode& root, const std::optional<NodePath>& current,
                                  FocusDirection direction) {
    auto order = focusOrder(root);
    if (direction == FocusDirection::backward) {
        std::reverse(order.begin(), order.end());
    }
    if (order.empty()) {
        return std::nullopt;
    }
    if (!current) {
        return order.front();
    }
    auto at = std::find(order.begin(), order.end(), *current);
    if (at == order.end()) {
        return order.front(); // the focused button has gone: start again
    }
    if (++at == order.end()) {
        return std::nullopt;
    }
    return *at;
}

void drawFocusRing(const LayoutNode& root, const NodePath& path, Canvas& canvas) {
    auto found = locate(root, path);
    if (!found || !found->node->action || !found->visible) {
        return;
    }
    const auto size = found->node->frame.size;
    const double radius = found->node->cornerRadius;
    canvas.save();
    canvas.concat(found->toRoot);
    canvas.stroke(outset(size, radius, innerEdgeWidth / 2), Paint(Color::white),
                  StrokeStyle{.lineWidth = innerEdgeWidth});
    canvas.stroke(outset(size, radius, innerEdgeWidth + ringWidth / 2), Paint(focusRingColor),
                  StrokeStyle{.lineWidth = ringWidth});
    canvas.restore();
}

} // namespace platform::ui
