#pragma once

#include "platform/coding/CodingKey.h"
#include "platform/coding/DecodingError.h"
#include "platform/coding/JSONValue.h"
#include "platform/coding/KeyDecodingStrategy.h"
#include "platform/coding/KeyedDecodingContainer.h"
#include "platform/coding/KeyedMembers.h"

#include <string_view>

namespace platform::coding {

class JSONDecoder;

// What a record's `static T decode(Decoder&)` reads itself from. Lives only inside
// JSONDecoder::decode, which catches every DecodingError thrown while it reads.
class Decoder {
public:
    Decoder(const Decoder&) = delete;
    Decoder& operator=(const Decoder&) = delete;

    const CodingPath& codingPath() const { return codingPath_; }

    // The value as a JSON object read by `Key`; typeMismatch for any other JSON type,
    // valueNotFound for null.
    template <CodingKey Key> KeyedDecodingContainer<Key> container() const {
        return KeyedDecodingContainer<Key>(members(Key::typeName), codingPath_);
    }

private:
    friend class JSONDecoder;
    Decoder(const JSONValue& value, KeyDecodingStrategy strategy, CodingPath codingPath)
        : value_(value)
        , strategy_(strategy)
        , codingPath_(std::move(codingPath)) {}

    KeyedMembers members(std::string_view keyTypeName) const;

    const JSONValue& value_;
    KeyDecodingStrategy strategy_;
    CodingPath codingPath_;
};

// A record that reads itself through a Decoder.
template <class T>
concept Decodable = requires(Decoder& decoder) {
    { T::decode(decoder) } -> std::same_as<T>;
};

} // namespace platform::coding
