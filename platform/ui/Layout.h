#pragma once

#include "platform/ui/ImageAsset.h"
#include "platform/ui/Paint.h"
#include "platform/ui/Path.h"
#include "platform/ui/StrokeStyle.h"
#include "platform/ui/TextLayout.h"
#include "platform/ui/Transform.h"
#include "platform/ui/View.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace platform::ui {

struct TextContent {
    std::shared_ptr<const TextLayout> layout;
    Color color;
};

struct ShapeContent {
    Path path; // in the node's coordinates
    std::optional<Paint> fill;
    std::optional<Paint> stroke;
    StrokeStyle strokeStyle;
};

struct ImageContent {
    std::shared_ptr<const ImageAsset> asset;
    std::string name;
};

// One node of a laid-out tree. A node draws its content, then its children in order.
struct LayoutNode {
    Rect frame; // in the parent's coordinates
    // Turns or moves the drawing (not the layout) about the node's own origin.
    Transform effect;
    // False for an element whose geometry is not finite: neither it nor its children draw.
    bool visible = true;
    std::variant<std::monostate, TextContent, ShapeContent, ImageContent> content;
    std::function<void()> action; // set on buttons
    double cornerRadius = 0;      // a button's bezel rounding, which its focus ring follows
    std::function<void()> appear; // set by onAppear
    // A stack's child: its place among the stack's views, the skipped empty ones counted, so
    // that a view appearing beside it leaves its identity alone.
    std::optional<std::size_t> slot;
    std::vector<LayoutNode> children;

    // The child's place in a NodePath: its slot, else its index among the children.
    static std::size_t place(const LayoutNode& child, std::size_t index) {
        return child.slot.value_or(index);
    }

    // The map from this node's coordinates to its parent's.
    Transform toParent() const {
        return effect.then(Transform::translation(frame.origin.x, frame.origin.y));
    }
};

// Lays the view out for the proposal; the root's origin is (0, 0).
LayoutNode layout(const View& view, ProposedSize proposal);
// Lays the view out in an area and centres it there, as a window or widget shows its content.
LayoutNode layoutCentered(const View& view, Size area);
// The size a view takes when nothing is proposed: what a window sized to its content gets.
Size idealSize(const View& view);

// The action of the topmost visible button under the point (root coordinates), if any.
std::optional<std::function<void()>> buttonActionAt(const LayoutNode& root, Point point);
// The onAppear actions of the tree, outermost first.
std::vector<std::function<void()>> appearActions(const LayoutNode& root);

} // namespace platform::ui
