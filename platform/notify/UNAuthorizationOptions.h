#pragma once

#include <cstdint>
#include <initializer_list>

namespace platform::notify {

// The kinds of interruption an application asks the user to allow, as a set of bits.
class UNAuthorizationOptions {
public:
    constexpr UNAuthorizationOptions() = default;
    constexpr explicit UNAuthorizationOptions(std::uint64_t rawValue)
        : rawValue_(rawValue) {}
    constexpr UNAuthorizationOptions(std::initializer_list<UNAuthorizationOptions> options) {
        for (auto option : options) {
            rawValue_ |= option.rawValue_;
        }
    }

    static const UNAuthorizationOptions badge;
    static const UNAuthorizationOptions sound;
    static const UNAuthorizationOptions alert;

    constexpr std::uint64_t rawValue() const { return rawValue_; }
    constexpr bool contains(UNAuthorizationOptions other) const {
        return (rawValue_ & other.rawValue_) == other.rawValue_;
    }
    friend constexpr bool operator==(UNAuthorizationOptions, UNAuthorizationOptions) = default;

private:
    std::uint64_t rawValue_ = 0;
};

inline constexpr UNAuthorizationOptions UNAuthorizationOptions::badge(1);
inline constexpr UNAuthorizationOptions UNAuthorizationOptions::sound(2);
inline constexpr UNAuthorizationOptions UNAuthorizationOptions::alert(4);

} // namespace platform::notify
