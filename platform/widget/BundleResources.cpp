#include "platform/widget/BundleResources.h"

#include <clocale>
#include <libintl.h>
#include <memory>
#include <string>

namespace platform::widget {

ui::Resources bundleResources(const foundation::Bundle& bundle) {
    ui::Resources resources;
    auto folder = bundle.resourceURL();
    if (!folder) {
        return resources;
    }
    resources.directory = *folder;
    // Only the messages category: numbers and parsing keep the C locale's forms.
    std::setlocale(LC_MESSAGES, "");
    auto domain = std::make_shared<std::string>(bundle.bundleIdentifier());
    bindtextdomain(domain->c_str(), (*folder / "locale").c_str());
    bind_textdomain_codeset(domain->c_str(), "UTF-8");
    resources.strings = [domain](std::string_view key) -> std::optional<std::string> {
        if (key.empty()) {
            return std::nullopt; // gettext answers "" with the catalogue's header
        }
        std::string text(key);
        const char* translated = dgettext(domain->c_str(), text.c_str());
        if (translated == nullptr || text == translated) {
            return std::nullopt;
        }
        return std::string(translated);
    };
    return resources;
}

} // namespace platform::widget
