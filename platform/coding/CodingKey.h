#pragma once

#include <array>
#include <concepts>
#include <optional>
#include <string>
#include <string_view>

namespace platform::coding {

// A key of a keyed container: its text, an optional integer, and lookups back from either.
// `typeName` is how the key's type is named in error descriptions ("CodingKeys").
template <class K>
concept CodingKey = std::copy_constructible<K> &&
    requires(const K key, std::string_view text, int number) {
    { key.stringValue() } -> std::convertible_to<std::string_view>;
    { key.intValue() } -> std::same_as<std::optional<int>>;
    { K::fromStringValue(text) } -> std::same_as<std::optional<K>>;
    { K::fromIntValue(number) } -> std::same_as<std::optional<K>>;
    { K::typeName } -> std::convertible_to<std::string_view>;
};

// A key of any type, as error values keep it.
struct AnyCodingKey {
    std::string typeName;
    std::string stringValue;
    std::optional<int> intValue;

    template <CodingKey K> static AnyCodingKey of(const K& key) {
        return {std::string(K::typeName), std::string(key.stringValue()), key.intValue()};
    }

    // CodingKeys(stringValue: "yearResult", intValue: nil)
    std::string description() const;

    friend bool operator==(const AnyCodingKey&, const AnyCodingKey&) = default;
};

// Text-only keys from a table: `Table` declares `enum Value { ... }` and
// `static constexpr std::array<std::string_view, N> stringValues`, one text per enumerator, in
// order. Lookup by text is exact and case-sensitive; lookup by integer finds nothing. The
// enumerators are reached through the key type (`CodingKeys::version`), so none may be named
// after a member below (typeName, rawValue, stringValue, intValue, fromStringValue, fromIntValue).
//
//     struct CodingKeyTable {
//         enum Value { version };
//         static constexpr std::array<std::string_view, 1> stringValues{"version"};
//     };
//     using CodingKeys = platform::coding::StringCodingKey<CodingKeyTable>;
template <class Table> class StringCodingKey : public Table {
public:
    using Value = typename Table::Value;
    static constexpr std::string_view typeName = "CodingKeys";

    constexpr StringCodingKey(Value key)
        : value_(key) {}

    constexpr Value rawValue() const { return value_; }
    constexpr std::string_view stringValue() const { return Table::stringValues[value_]; }
    constexpr std::optional<int> intValue() const { return std::nullopt; }

    static constexpr std::optional<StringCodingKey> fromStringValue(std::string_view text) {
        for (size_t i = 0; i < Table::stringValues.size(); ++i) {
            if (Table::stringValues[i] == text) {
                return StringCodingKey(static_cast<Value>(i));
            }
        }
        return std::nullopt;
    }
    static constexpr std::optional<StringCodingKey> fromIntValue(int) { return std::nullopt; }

    friend constexpr bool operator==(StringCodingKey a, StringCodingKey b) {
        return a.value_ == b.value_;
    }

private:
    Value value_;
};

} // namespace platform::coding
