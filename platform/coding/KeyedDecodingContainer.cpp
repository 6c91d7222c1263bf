#include "platform/coding/KeyedDecodingContainer.h"

namespace platform::coding {

void throwKeyNotFound(AnyCodingKey key, const CodingPath& containerPath) {
    std::string debugDescription = "No value associated with key " + key.description() + " (" +
                                   "\"" + key.stringValue + "\").";
    throw DecodingError::keyNotFound(std::move(key), {containerPath, std::move(debugDescription)});
}

} // namespace platform::coding
