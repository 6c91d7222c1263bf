#include "platform/coding/KeyedMembers.h"

#include "platform/coding/SnakeCase.h"

namespace platform::coding {

KeyedMembers::KeyedMembers(const JSONObject& object, KeyDecodingStrategy strategy) {
    for (const auto& member : object) {
        std::string key = strategy == KeyDecodingStrategy::convertFromSnakeCase
                              ? convertFromSnakeCase(member.name)
                              : member.name;
        members_.insert_or_assign(std::move(key), &member.value);
    }
}

const JSONValue* KeyedMembers::find(std::string_view key) const {
    auto found = members_.find(key);
    return found == members_.end() ? nullptr : found->second;
}

} // namespace platform::coding
