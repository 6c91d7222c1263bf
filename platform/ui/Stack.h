#pragma once

#include "platform/ui/View.h"

#include <initializer_list>
#include <vector>

namespace platform::ui {

// Children top to bottom, aligned horizontally; spacing 8 points unless given. Empty views are
// skipped.
class VStack : public View {
public:
    VStack(std::initializer_list<View> children);
    explicit VStack(std::vector<View> children);
    VStack(HorizontalAlignment alignment, std::optional<double> spacing,
           std::vector<View> children);
};

// Children leading to trailing, aligned vertically; spacing 8 points unless given.
class HStack : public View {
public:
    HStack(std::initializer_list<View> children);
    explicit HStack(std::vector<View> children);
    HStack(VerticalAlignment alignment, std::optional<double> spacing, std::vector<View> children);
};

// Children over each other in declaration order, later ones on top, each aligned in the stack.
class ZStack : public View {
public:
    ZStack(std::initializer_list<View> children);
    explicit ZStack(std::vector<View> children);
    ZStack(Alignment alignment, std::vector<View> children);
};

} // namespace platform::ui
