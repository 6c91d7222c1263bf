#include "platform/app/RuntimeStrings.h"

#include "platform/foundation/Bundle.h"

namespace platform::app {

RuntimeStrings::RuntimeStrings(const foundation::Bundle& bundle)
    : table_(foundation::Localization::inBundle(bundle, TRELVO_APP_RUNTIME_DOMAIN)) {}

std::string
RuntimeStrings::operator()(std::string_view english,
                           const std::vector<ui::LocalizedStringKey::Argument>& arguments) const {
    auto format = table_ ? table_->string(english) : std::nullopt;
    return ui::formatLocalized(format.value_or(std::string(english)), arguments);
}

} // namespace platform::app
