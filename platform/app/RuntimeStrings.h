#pragma once

#include "platform/foundation/Localization.h"
#include "platform/ui/LocalizedStringKey.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::foundation {
class Bundle;
}

namespace platform::app {

// The runtime's own texts (the window's menu, its messages) in the user's language, from the
// platform's catalogue that each application bundle carries beside its own; English, as
// written, where there is none.
class RuntimeStrings {
public:
    RuntimeStrings() = default; // English
    explicit RuntimeStrings(const foundation::Bundle& bundle);

    // The text for an English key, "%@" replaced by the arguments in order.
    std::string
    operator()(std::string_view english,
               const std::vector<ui::LocalizedStringKey::Argument>& arguments = {}) const;

private:
    std::optional<foundation::Localization> table_;
};

} // namespace platform::app
