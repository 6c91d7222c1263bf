#pragma once

#include "platform/foundation/Bundle.h"
#include "platform/ui/Resources.h"

namespace platform::widget {

// The bundle's images and its string table (the catalogue named after the bundle's executable,
// in the user's language).
ui::Resources bundleResources(const foundation::Bundle& bundle);

} // namespace platform::widget
