#include "platform/widget/HostStrings.h"

#include "platform/foundation/Localization.h"

#include <memory>

namespace platform::widget {

ui::StringTable hostStrings(const foundation::Bundle& bundle) {
    auto found = foundation::Localization::inBundle(bundle, "WidgetHost");
    if (!found) {
        return {};
    }
    auto table = std::make_shared<const foundation::Localization>(std::move(*found));
    return [table](std::string_view key) { return table->string(key); };
}

} // namespace platform::widget
