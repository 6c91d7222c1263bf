#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace platform::coding {

struct JSONValue;
struct JSONMember;

struct JSONNull {
    friend bool operator==(JSONNull, JSONNull) = default;
};

// A number as parsed, exact: int64, uint64 (beyond int64 only) or double, with the text it was
// written as (the decimal point always '.'), so a whole 1.5e3 and an exact error text survive.
struct JSONNumber {
    std::variant<std::int64_t, std::uint64_t, double> value;
    std::string text;
};

using JSONArray = std::vector<JSONValue>;
// Members in document order; a name may occur more than once.
using JSONObject = std::vector<JSONMember>;

struct JSONValue {
    std::variant<JSONNull, bool, JSONNumber, std::string, JSONArray, JSONObject> storage;

    template <class T> const T* as() const { return std::get_if<T>(&storage); }
};

struct JSONMember {
    std::string name;
    JSONValue value;
};

} // namespace platform::coding
