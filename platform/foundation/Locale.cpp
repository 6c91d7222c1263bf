#include "platform/foundation/Locale.h"

#include <cstdlib>
#include <mutex>
#include <optional>
#include <unicode/locid.h>
#include <utility>

namespace platform::foundation {
namespace {

struct Seam {
    std::mutex lock;
    std::optional<Locale> locale;
};

Seam& seam() {
    static Seam instance;
    return instance;
}

// POSIX precedence for the category that formats numbers.
std::string_view environmentLocale() {
    for (const char* name : {"LC_ALL", "LC_NUMERIC", "LANG"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') {
            return value;
        }
    }
    return "C";
}

// "ru_RU.UTF-8" and "sr_RS@latin" are POSIX forms: drop the codeset and the modifier, but keep
// ICU keywords ("de_DE@collation=phonebook").
std::string withoutPosixDecorations(std::string_view identifier) {
    std::string_view keywords;
    if (auto at = identifier.find('@'); at != std::string_view::npos) {
        if (identifier.find('=', at) != std::string_view::npos) {
            keywords = identifier.substr(at);
        }
        identifier = identifier.substr(0, at);
    }
    if (auto dot = identifier.find('.'); dot != std::string_view::npos) {
        identifier = identifier.substr(0, dot);
    }
    return std::string(identifier) + std::string(keywords);
}

bool isPosixDefault(std::string_view base) {
    return base.empty() || base == "C" || base == "POSIX";
}

std::string canonical(std::string_view identifier) {
    auto base = withoutPosixDecorations(identifier);
    if (isPosixDefault(base)) {
        return "en_US";
    }
    auto locale = icu::Locale::createCanonical(base.c_str());
    if (locale.isBogus() || *locale.getName() == '\0') {
        return "en_US";
    }
    return locale.getName();
}

} // namespace

Locale::Locale(std::string_view identifier)
    : identifier_(canonical(identifier)) {}

Locale Locale::current() {
    {
        std::lock_guard guard(seam().lock);
        if (seam().locale) {
            return *seam().locale;
        }
    }
    return Locale(environmentLocale());
}

ScopedLocale::ScopedLocale(Locale locale) {
    std::lock_guard guard(seam().lock);
    previous_ = std::exchange(seam().locale, std::move(locale));
}

ScopedLocale::~ScopedLocale() {
    std::lock_guard guard(seam().lock);
    seam().locale = std::move(previous_);
}

} // namespace platform::foundation
