#include "platform/coding/Decoder.h"

#include "platform/coding/PrimitiveDecoding.h"

namespace platform::coding {

KeyedMembers Decoder::members(std::string_view keyTypeName) const {
    if (value_.as<JSONNull>()) {
        throw DecodingError::valueNotFound(
            "Swift.KeyedDecodingContainer<" + std::string(keyTypeName) + ">",
            {codingPath_, "Cannot get keyed decoding container -- found null value instead."});
    }
    const auto* object = value_.as<JSONObject>();
    if (!object) {
        throw DecodingError::typeMismatch(
            "Swift.Dictionary<Swift.String, Any>",
            {codingPath_, "Expected to decode Dictionary<String, Any> but found " +
                              std::string(typeDescription(value_)) + " instead."});
    }
    return KeyedMembers(*object, strategy_);
}

void throwKeyNotFound(AnyCodingKey key, const CodingPath& containerPath) {
    std::string debugDescription = "No value associated with key " + key.description() + " (" +
                                   "\"" + key.stringValue + "\").";
    throw DecodingError::keyNotFound(std::move(key), {containerPath, std::move(debugDescription)});
}

} // namespace platform::coding
