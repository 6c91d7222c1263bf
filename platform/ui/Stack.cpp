#include "platform/ui/Stack.h"

#include "platform/ui/ViewNode.h"

namespace platform::ui {
namespace {

std::shared_ptr<const detail::Node> stackNode(detail::StackAxis axis, Alignment alignment,
                                              std::optional<double> spacing,
                                              std::vector<View> children) {
    return std::make_shared<const detail::Node>(
        detail::Node{detail::StackNode{axis, alignment, spacing, std::move(children)}});
}

} // namespace

VStack::VStack(std::initializer_list<View> children)
    : VStack(std::vector<View>(children)) {}

VStack::VStack(std::vector<View> children)
    : VStack(HorizontalAlignment::center, std::nullopt, std::move(children)) {}

VStack::VStack(HorizontalAlignment alignment, std::optional<double> spacing,
               std::vector<View> children)
    : View(stackNode(detail::StackAxis::vertical, Alignment{alignment, VerticalAlignment::center},
                     spacing, std::move(children))) {}

HStack::HStack(std::initializer_list<View> children)
    : HStack(std::vector<View>(children)) {}

HStack::HStack(std::vector<View> children)
    : HStack(VerticalAlignment::center, std::nullopt, std::move(children)) {}

HStack::HStack(VerticalAlignment alignment, std::optional<double> spacing,
               std::vector<View> children)
    : View(stackNode(detail::StackAxis::horizontal,
                     Alignment{HorizontalAlignment::center, alignment}, spacing,
                     std::move(children))) {}

ZStack::ZStack(std::initializer_list<View> children)
    : ZStack(std::vector<View>(children)) {}

ZStack::ZStack(std::vector<View> children)
    : ZStack(Alignment::center, std::move(children)) {}

ZStack::ZStack(Alignment alignment, std::vector<View> children)
    : View(stackNode(detail::StackAxis::depth, alignment, std::nullopt, std::move(children))) {}

} // namespace platform::ui
