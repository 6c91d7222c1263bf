#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform::foundation {

// A locale by its ICU identifier ("ru_RU", "hi_IN", "en_US"). An immutable value.
class Locale {
public:
    // Canonicalises the identifier; POSIX forms ("ru_RU.UTF-8", "de_DE@euro") are accepted, and
    // "C" or "POSIX" (no user locale) become en_US.
    explicit Locale(std::string_view identifier);

    // The user's locale as it is now: a ScopedLocale if one is alive, else the environment's
    // (LC_ALL, then LC_NUMERIC, then LANG), read anew on each call.
    static Locale current();

    const std::string& identifier() const { return identifier_; }

    friend bool operator==(const Locale&, const Locale&) = default;

private:
    std::string identifier_;
};

// Test seam: while alive, Locale::current() is this locale on every thread. Nests like
// ScopedTimeZone.
class ScopedLocale {
public:
    explicit ScopedLocale(Locale locale);
    explicit ScopedLocale(std::string_view identifier)
        : ScopedLocale(Locale(identifier)) {}
    ~ScopedLocale();
    ScopedLocale(const ScopedLocale&) = delete;
    ScopedLocale& operator=(const ScopedLocale&) = delete;

private:
    std::optional<Locale> previous_;
};

} // namespace platform::foundation
