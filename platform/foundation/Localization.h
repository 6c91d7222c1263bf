#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace platform::foundation {

class Bundle;

// A program's string table: the gettext catalogue of one domain, found under
// <resources>/locale/<language>/LC_MESSAGES/<domain>.mo and chosen by LANGUAGE, LC_ALL,
// LC_MESSAGES and LANG as gettext chooses it.
class Localization {
public:
    Localization(std::string domain, const std::filesystem::path& localeDirectory);

    // The bundle's own table: the domain is its executable's name (CFBundleExecutable), so the
    // programs of a suite can share one resources folder; nullopt when it has no resources.
    static std::optional<Localization> forBundle(const Bundle& bundle);
    // Another domain's table in the bundle's locale folder (the platform's own words, carried
    // beside the program's); nullopt when the bundle has no resources.
    static std::optional<Localization> inBundle(const Bundle& bundle, std::string domain);

    // The translation of the key, or nullopt when the catalogue has none.
    std::optional<std::string> string(std::string_view key) const;

    const std::string& domain() const { return domain_; }

private:
    std::string domain_;
};

} // namespace platform::foundation
