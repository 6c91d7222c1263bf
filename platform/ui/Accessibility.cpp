#include "platform/ui/Accessibility.h"

#include <algorithm>

namespace platform::ui {
namespace {

using Role = AccessibilityElement::Role;

Rect boundingBox(const Transform& toRoot, Size size) {
    const Point corners[] = {toRoot.apply({0, 0}), toRoot.apply({size.width, 0}),
                             toRoot.apply({0, size.height}),
                             toRoot.apply({size.width, size.height})};
    Point low = corners[0];
    Point high = corners[0];
    for (const auto& p : corners) {
        low = {std::min(low.x, p.x), std::min(low.y, p.y)};
        high = {std::max(high.x, p.x), std::max(high.y, p.y)};
    }
    return {low, {high.x - low.x, high.y - low.y}};
}

// The words a button's label shows, else the names of its images.
void collectLabel(const LayoutNode& node, std::vector<std::string>& texts,
                  std::vector<std::string>& images) {
    if (!node.visible) {
        return;
    }
    if (const auto* text = std::get_if<TextContent>(&node.content)) {
        texts.push_back(text->layout->text());
    } else if (const auto* image = std::get_if<ImageContent>(&node.content)) {
        images.push_back(image->name);
    }
    for (const auto& child : node.children) {
        collectLabel(child, texts, images);
    }
}

std::string joined(const std::vector<std::string>& parts) {
    std::string result;
    for (const auto& part : parts) {
        result += (result.empty() ? "" : " ") + part;
    }
    return result;
}

struct Walk {
    std::vector<AccessibilityElement> elements;
    NodePath path;

    void add(Role role, std::string label, const LayoutNode& node, const Transform& toRoot) {
        elements.push_back(
            {role, std::move(label), boundingBox(toRoot, node.frame.size), path, node.action});
    }

    void visit(const LayoutNode& node, const Transform& parentToRoot) {
        if (!node.visible) {
            return;
        }
        const auto toRoot = node.toParent().then(parentToRoot);
        if (node.action) {
            std::vector<std::string> texts, images;
            collectLabel(node, texts, images);
            add(Role::button, joined(texts.empty() ? images : texts), node, toRoot);
            return;
        }
        if (const auto* text = std::get_if<TextContent>(&node.content)) {
            add(Role::staticText, text->layout->text(), node, toRoot);
        } else if (const auto* image = std::get_if<ImageContent>(&node.content)) {
            add(Role::image, image->name, node, toRoot);
        }
        for (std::size_t i = 0; i < node.children.size(); ++i) {
            path.push_back(LayoutNode::place(node.children[i], i));
            visit(node.children[i], toRoot);
            path.pop_back();
        }
    }
};

} // namespace

std::vector<AccessibilityElement> accessibilityElements(const LayoutNode& root) {
    Walk walk;
    walk.visit(root, Transform::identity());
    return std::move(walk.elements);
}

} // namespace platform::ui
