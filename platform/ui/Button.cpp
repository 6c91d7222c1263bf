#include "platform/ui/Button.h"

#include "platform/ui/ViewNode.h"

namespace platform::ui {

Button::Button(std::function<void()> action, View label)
    : View(std::make_shared<const detail::Node>(
          detail::Node{detail::ButtonNode{std::move(action), std::move(label)}})) {}

} // namespace platform::ui
