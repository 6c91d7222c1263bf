#include "platform/widget/BundleResources.h"

#include "platform/foundation/Localization.h"

#include <memory>

namespace platform::widget {

ui::Resources bundleResources(const foundation::Bundle& bundle) {
    ui::Resources resources;
    auto folder = bundle.resourceURL();
    if (!folder) {
        return resources;
    }
    resources.directory = *folder;
    if (auto table = foundation::Localization::forBundle(bundle)) {
        auto shared = std::make_shared<const foundation::Localization>(std::move(*table));
        resources.strings = [shared](std::string_view key) { return shared->string(key); };
    }
    return resources;
}

} // namespace platform::widget
