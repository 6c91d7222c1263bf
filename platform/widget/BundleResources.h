#pragma once

#include "platform/foundation/Bundle.h"
#include "platform/ui/Resources.h"

namespace platform::widget {

// The bundle's images and its string table: gettext catalogues named after the bundle's
// identifier under <resources>/locale, in the user's language.
ui::Resources bundleResources(const foundation::Bundle& bundle);

} // namespace platform::widget
