#pragma once

#include "platform/foundation/Bundle.h"
#include "platform/ui/Resources.h"

namespace platform::widget {

// The host's own words (its stale mark), apart from the widget's: the catalogue of the
// WidgetHost domain in the bundle's locale folder, in the user's language. None, so the words
// are shown as written in English, when the bundle has no resources.
ui::StringTable hostStrings(const foundation::Bundle& bundle);

} // namespace platform::widget
