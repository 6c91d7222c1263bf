#include "platform/widget/HostStrings.h"

#include "platform/foundation/Localization.h"

#include <memory>

namespace platform::widget {

ui::StringTable hostStrings(const foundation::Bundle& bundle) {
    auto folder = bundle.resourceURL();
    if (!folder) {
        return {};
    }
    auto table = std::make_shared<const foundation::Localization>("WidgetHost", *folder / "locale");
    return [table](std::string_view key) { return table->string(key); };
}

} // namespace platform::widget
