#pragma once

#include <concepts>
#include <cstdint>
#include <variant>

namespace platform::foundation {

// The platform's number object: an integer or a double, kept exactly as given so a formatter
// never sends an int64 through a double.
class Number {
public:
    using Value = std::variant<std::int64_t, std::uint64_t, double>;

    template <std::signed_integral T>
    requires(!std::same_as<T, bool>) Number(T value)
        : value_(static_cast<std::int64_t>(value)) {}

    template <std::unsigned_integral T>
    requires(!std::same_as<T, bool>) Number(T value)
        : value_(static_cast<std::uint64_t>(value)) {}

    template <std::floating_point T>
    Number(T value)
        : value_(static_cast<double>(value)) {}

    Number(bool) = delete;

    const Value& value() const { return value_; }

    friend bool operator==(const Number&, const Number&) = default;

private:
    Value value_;
};

} // namespace platform::foundation
