#pragma once

#include "platform/ui/Accessibility.h"
#include "platform/ui/CairoHandles.h"

#include <atk/atk.h>

namespace platform::app {

// The ATK object of one element of a window's content: a label named by its text, a push button
// named by its label with a "click" action that runs the button's action, or an image named by
// its asset; placed where the layout put it, within its parent (the content's canvas).
ui::GObjectPtr<AtkObject> makeElementAccessible(ui::AccessibilityElement element,
                                                AtkObject* parent);

// Takes a later layout's element that a reader would not tell apart (its action may differ).
void refreshElementAccessible(AtkObject* object, ui::AccessibilityElement element);

// A button's keyboard focus, announced to readers when it changes.
void setElementFocused(AtkObject* object, bool focused);

} // namespace platform::app
