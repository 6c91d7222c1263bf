#include "platform/foundation/Localization.h"

#include "platform/foundation/Bundle.h"

#include <clocale>
#include <libintl.h>
#include <mutex>
#include <utility>

namespace platform::foundation {

Localization::Localization(std::string domain, const std::filesystem::path& localeDirectory)
    : domain_(std::move(domain)) {
    // Only the messages category follows the user: numbers and JSON stay in the C locale.
    static std::once_flag messagesLocale;
    std::call_once(messagesLocale, [] { std::setlocale(LC_MESSAGES, ""); });
    bindtextdomain(domain_.c_str(), localeDirectory.c_str());
    bind_textdomain_codeset(domain_.c_str(), "UTF-8");
}

std::optional<Localization> Localization::forBundle(const Bundle& bundle) {
    auto executable = bundle.object("CFBundleExecutable");
    if (!executable || executable->empty()) {
        return std::nullopt;
    }
    return inBundle(bundle, *executable);
}

std::optional<Localization> Localization::inBundle(const Bundle& bundle, std::string domain) {
    auto folder = bundle.resourceURL();
    if (!folder) {
        return std::nullopt;
    }
    return Localization(std::move(domain), *folder / "locale");
}

std::optional<std::string> Localization::string(std::string_view key) const {
    std::string msgid(key);
    if (msgid.empty()) {
        return std::nullopt; // "" is gettext's catalogue header
    }
    const char* translated = dgettext(domain_.c_str(), msgid.c_str());
    if (translated == msgid.c_str()) {
        return std::nullopt;
    }
    return std::string(translated);
}

} // namespace platform::foundation
