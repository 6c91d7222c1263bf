#pragma once

#include "platform/foundation/Locale.h"
#include "platform/foundation/Number.h"

#include <memory>
#include <optional>
#include <string>

namespace platform::foundation {

// Locale-aware number text (ICU). Configure it first; after that string() may be called from any
// number of threads at once. Setters are not safe against concurrent string() calls.
class NumberFormatter {
public:
    enum class Style {
        none,    // integer digits only, no grouping
        decimal, // grouped, up to three fraction digits, rounded half to even
    };

    // Style none, in Locale::current() as it is at creation.
    NumberFormatter();
    ~NumberFormatter();
    NumberFormatter(const NumberFormatter&);
    NumberFormatter& operator=(const NumberFormatter&);

    Style numberStyle() const { return style_; }
    void setNumberStyle(Style style);

    // The locale's own separator until one is set; used exactly as given (" " is U+0020).
    std::string groupingSeparator() const;
    void setGroupingSeparator(std::string separator);

    const Locale& locale() const { return locale_; }
    void setLocale(Locale locale);

    // The number's text; nullopt when ICU cannot format it.
    std::optional<std::string> string(Number number) const;

private:
    struct Engine;
    void rebuild();

    Style style_ = Style::none;
    Locale locale_;
    std::optional<std::string> groupingSeparator_;
    // Immutable once built; setters swap in a new one.
    std::shared_ptr<const Engine> engine_;
};

} // namespace platform::foundation
