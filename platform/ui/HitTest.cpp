#include "platform/ui/Layout.h"

namespace platform::ui {
namespace {

// point is in the node's parent coordinates.
const LayoutNode* buttonAt(const LayoutNode& node, Point point) {
    if (!node.visible) {
        return nullptr;
    }
    const auto toLocal = node.toParent().inverted();
    if (!toLocal) {
        return nullptr;
    }
    const Point local = toLocal->apply(point);
    // Later children are drawn on top, so they are asked first.
    for (auto child = node.children.rbegin(); child != node.children.rend(); ++child) {
        if (const auto* hit = buttonAt(*child, local)) {
            return hit;
        }
    }
    if (node.action && Rect{{}, node.frame.size}.contains(local)) {
        return &node;
    }
    return nullptr;
}

void collectAppearActions(const LayoutNode& node, std::vector<std::function<void()>>& actions) {
    if (node.appear) {
        actions.push_back(node.appear);
    }
    for (const auto& child : node.children) {
        collectAppearActions(child, actions);
    }
}

} // namespace

std::optional<std::function<void()>> buttonActionAt(const LayoutNode& root, Point point) {
    if (const auto* hit = buttonAt(root, point)) {
        return hit->action;
    }
    return std::nullopt;
}

std::vector<std::function<void()>> appearActions(const LayoutNode& root) {
    std::vector<std::function<void()>> actions;
    collectAppearActions(root, actions);
    return actions;
}

} // namespace platform::ui
