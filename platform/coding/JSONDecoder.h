#pragma once

#include "platform/coding/Decoder.h"
#include "platform/coding/DecodingError.h"
#include "platform/coding/JSONParser.h"
#include "platform/coding/KeyDecodingStrategy.h"
#include "platform/foundation/Expected.h"

#include <string_view>
#include <utility>

namespace platform::coding {

// Decodes a record from the bytes of a JSON text:
//
//     JSONDecoder decoder;
//     decoder.keyDecodingStrategy = JSONDecoder::KeyDecodingStrategy::convertFromSnakeCase;
//     auto model = decoder.decode<ResultsModel>(body);   // or model.error().description()
//
// The record provides `static T decode(Decoder&)`, opens `decoder.container<CodingKeys>()` and
// reads each key with `container.decode<std::int64_t>(CodingKeys::yearResult)`. Errors never
// leave decode() as exceptions.
class JSONDecoder {
public:
    using KeyDecodingStrategy = ::platform::coding::KeyDecodingStrategy;

    KeyDecodingStrategy keyDecodingStrategy = KeyDecodingStrategy::useDefaultKeys;

    template <Decodable T>
    foundation::Expected<T, DecodingError> decode(std::string_view bytes) const {
        auto root = parseJSON(bytes);
        if (!root) {
            return foundation::Unexpected{root.error()};
        }
        try {
            Decoder decoder(*root, keyDecodingStrategy, {});
            return T::decode(decoder);
        } catch (DecodingError& error) {
            return foundation::Unexpected{std::move(error)};
        }
    }
};

} // namespace platform::coding
