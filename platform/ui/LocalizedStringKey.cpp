#include "platform/ui/LocalizedStringKey.h"

#include "platform/ui/Resources.h"

#include <array>
#include <cctype>
#include <string_view>

namespace platform::ui {
namespace {

enum class Kind { text, integer };

struct Specifier {
    std::size_t length = 0; // characters after the '%', position included
    std::optional<std::size_t> position;
    Kind kind = Kind::text;
};

// Reads the specifier that follows a '%', or nullopt when it is not one we know.
std::optional<Specifier> readSpecifier(std::string_view rest) {
    Specifier spec;
    std::size_t i = 0;
    std::size_t digits = 0;
    while (i < rest.size() && std::isdigit(static_cast<unsigned char>(rest[i])) && digits < 3) {
        ++i;
        ++digits;
    }
    if (digits > 0) {
        if (i >= rest.size() || rest[i] != '$') {
            return std::nullopt;
        }
        const auto n = std::stoul(std::string(rest.substr(0, digits)));
        if (n == 0) {
            return std::nullopt;
        }
        spec.position = n - 1;
        ++i;
    }
    static constexpr std::array<std::string_view, 9> integers{"lld", "lli", "llu", "ld", "li",
                                                              "lu",  "d",   "i",   "u"};
    const auto tail = rest.substr(i);
    if (tail.starts_with('@')) {
        spec.length = i + 1;
        spec.kind = Kind::text;
        return spec;
    }
    for (auto form : integers) {
        if (tail.starts_with(form)) {
            spec.length = i + form.size();
            spec.kind = Kind::integer;
            return spec;
        }
    }
    return std::nullopt;
}

std::optional<std::string> render(const LocalizedStringKey::Argument& argument, Kind kind) {
    if (kind == Kind::text) {
        if (const auto* text = std::get_if<std::string>(&argument)) {
            return *text;
        }
        // %@ prints any object; a number shows as its decimal digits.
        return std::to_string(std::get<std::int64_t>(argument));
    }
    if (const auto* number = std::get_if<std::int64_t>(&argument)) {
        return std::to_string(*number);
    }
    return std::nullopt;
}

} // namespace

std::string formatLocalized(const std::string& format,
                            const std::vector<LocalizedStringKey::Argument>& arguments) {
    std::string out;
    out.reserve(format.size());
    std::size_t next = 0;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%') {
            out += format[i];
            continue;
        }
        const std::string_view rest = std::string_view(format).substr(i + 1);
        if (rest.starts_with('%')) {
            out += '%';
            ++i;
            continue;
        }
        const auto spec = readSpecifier(rest);
        if (!spec) {
            out += '%';
            continue;
        }
        const std::size_t index = spec->position.value_or(next);
        if (!spec->position) {
            ++next;
        }
        std::optional<std::string> value;
        if (index < arguments.size()) {
            value = render(arguments[index], spec->kind);
        }
        if (value) {
            out += *value;
        } else {
            out.append(format, i, spec->length + 1);
        }
        i += spec->length;
    }
    return out;
}

std::string LocalizedStringKey::resolved() const {
    std::optional<std::string> translation;
    if (const auto table = mainResources().strings) {
        translation = table(key_);
    }
    return formatLocalized(translation.value_or(key_), arguments_);
}

} // namespace platform::ui
