#pragma once

#include "platform/ui/View.h"

#include <functional>

namespace platform::ui {

// Runs its action when clicked (see buttonActionAt); drawn as its label on a push-button bezel.
class Button : public View {
public:
    Button(std::function<void()> action, View label);
};

} // namespace platform::ui
