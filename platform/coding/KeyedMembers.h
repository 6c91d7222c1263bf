#pragma once

#include "platform/coding/JSONValue.h"
#include "platform/coding/KeyDecodingStrategy.h"

#include <functional>
#include <map>
#include <string>
#include <string_view>

namespace platform::coding {

// A JSON object's members by the key each name becomes under the strategy. When several names
// give the same key (a repeated name, or "year_result" beside "yearResult") the last one in the
// document wins, as a parser that keeps one value per name would have it.
class KeyedMembers {
public:
    KeyedMembers(const JSONObject& object, KeyDecodingStrategy strategy);

    // Null when the object holds nothing under this key. Valid while the parsed tree lives.
    const JSONValue* find(std::string_view key) const;

private:
    std::map<std::string, const JSONValue*, std::less<>> members_;
};

} // namespace platform::coding
