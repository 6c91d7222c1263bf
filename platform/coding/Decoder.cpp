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

} // namespace platform::coding
