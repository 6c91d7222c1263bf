#pragma once

#include "platform/coding/CodingKey.h"
#include "platform/coding/DecodingError.h"
#include "platform/coding/KeyedMembers.h"
#include "platform/coding/PrimitiveDecoding.h"

#include <utility>

namespace platform::coding {

class Decoder;

// Thrown for a key the object does not hold; caught by JSONDecoder::decode.
[[noreturn]] void throwKeyNotFound(AnyCodingKey key, const CodingPath& containerPath);

// The members of one JSON object, read by the keys of `Key`. Made by Decoder::container().
template <CodingKey Key> class KeyedDecodingContainer {
public:
    const CodingPath& codingPath() const { return codingPath_; }

    bool contains(const Key& key) const { return members_.find(key.stringValue()) != nullptr; }

    // The value under `key`: keyNotFound when absent, valueNotFound when null, typeMismatch
    // when of another JSON type, dataCorrupted when a number does not fit. The first failure
    // ends the whole decode, so later keys are never looked at.
    template <DecodablePrimitive T> T decode(const Key& key) const {
        const JSONValue* value = members_.find(key.stringValue());
        if (!value) {
            throwKeyNotFound(AnyCodingKey::of(key), codingPath_);
        }
        CodingPath path = codingPath_;
        path.push_back(AnyCodingKey::of(key));
        return decodePrimitive<T>(*value, path);
    }

private:
    friend class Decoder;
    KeyedDecodingContainer(KeyedMembers members, CodingPath codingPath)
        : members_(std::move(members))
        , codingPath_(std::move(codingPath)) {}

    KeyedMembers members_;
    CodingPath codingPath_;
};

} // namespace platform::coding
