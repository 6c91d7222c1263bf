#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace platform::ui {

// A key into the string table, possibly with interpolated values: the key holds "%@" where a
// text is inserted and "%lld" where a whole number is ("текущая версия приложения: %@").
// Translations may reorder them with positional forms ("%2$@").
class LocalizedStringKey {
public:
    using Argument = std::variant<std::string, std::int64_t>;

    LocalizedStringKey(const char* key)
        : key_(key ? key : "") {}
    explicit LocalizedStringKey(std::string key, std::vector<Argument> arguments = {})
        : key_(std::move(key))
        , arguments_(std::move(arguments)) {}

    const std::string& key() const { return key_; }
    const std::vector<Argument>& arguments() const { return arguments_; }
    // The text shown: the table's entry for the key, or the key itself, with the arguments put in.
    std::string resolved() const;
    friend bool operator==(const LocalizedStringKey&, const LocalizedStringKey&) = default;

private:
    std::string key_;
    std::vector<Argument> arguments_;
};

// Puts arguments into a format written with %@, %lld, %ld, %d, %n$@ ... and %%. A specifier with
// no matching argument, or of the wrong kind, is kept as written: a bad translation must not
// crash or show another argument's value.
std::string formatLocalized(const std::string& format,
                            const std::vector<LocalizedStringKey::Argument>& arguments);

} // namespace platform::ui
