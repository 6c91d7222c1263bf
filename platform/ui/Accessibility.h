#pragma once

#include "platform/ui/Focus.h"
#include "platform/ui/Layout.h"

#include <functional>
#include <string>
#include <vector>

namespace platform::ui {

// What a screen reader is told about one element of a laid-out tree.
struct AccessibilityElement {
    enum class Role { staticText, button, image };

    Role role = Role::staticText;
    // A text's words, a button's label (its texts, else its images' names), an image's name.
    std::string label;
    Rect frame; // the bounding box in the root's (the window's) coordinates
    NodePath path;
    std::function<void()> action; // buttons

    // The same element to a reader: role, label, place and path (actions do not compare).
    bool describesSameAs(const AccessibilityElement& other) const {
        return role == other.role && label == other.label && frame == other.frame &&
               path == other.path;
    }
};

// The visible texts, buttons and images of the tree, in layout order; a button stands for its
// label, whose texts and images are not listed apart.
std::vector<AccessibilityElement> accessibilityElements(const LayoutNode& root);

} // namespace platform::ui
