#pragma once

#include "platform/ui/Canvas.h"
#include "platform/ui/Layout.h"

#include <cstddef>
#include <optional>
#include <vector>

namespace platform::ui {

// Where a node sits in a laid-out tree: the place of the child taken at each level from the
// root (LayoutNode::place). A redraw that keeps the view's structure keeps each button's path,
// even when a conditional view beside it comes or goes, so focus stays on the same button.
using NodePath = std::vector<std::size_t>;

// A node of a tree with the map from its coordinates to the root's (the window's).
struct LocatedNode {
    const LayoutNode* node = nullptr;
    Transform toRoot;
    bool visible = true; // the node and every node above it draw
};

// The node at the path, if the tree has one there.
std::optional<LocatedNode> locate(const LayoutNode& root, const NodePath& path);

// The visible buttons of the tree in layout order (depth first, as drawn): the order Tab visits.
std::vector<NodePath> focusOrder(const LayoutNode& root);

enum class FocusDirection { forward, backward };

// The button after (or before) `current` in focus order; with nothing focused, the first (or
// last). Nothing past either end: the caller decides whether focus wraps or leaves the content.
std::optional<NodePath> nextFocus(const LayoutNode& root, const std::optional<NodePath>& current,
                                  FocusDirection direction);

// The keyboard focus indicator: the system's focus colour, opaque, so it shows on light and
// dark content alike.
inline constexpr Color focusRingColor = Color::blue;

// Draws the focus ring of the button at the path over what is drawn: a 2-point ring in the focus
// colour around the button's shape, with a 1-point white inner edge that keeps it apart from a
// background of the same blue. Nothing when the path names no visible button.
void drawFocusRing(const LayoutNode& root, const NodePath& path, Canvas& canvas);

} // namespace platform::ui
