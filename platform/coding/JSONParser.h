#pragma once

#include "platform/coding/DecodingError.h"
#include "platform/coding/JSONValue.h"
#include "platform/foundation/Expected.h"

#include <cstddef>
#include <string_view>

namespace platform::coding {

// Deeper nesting than this is refused, so no hostile text can exhaust the stack of whoever walks
// the tree afterwards.
inline constexpr std::size_t maximumJSONDepth = 512;

// Parses one JSON text (RFC 8259, UTF-8, nothing after the value). Failure is dataCorrupted with
// "The given data was not valid JSON." and the parser's reason as the underlying error.
foundation::Expected<JSONValue, DecodingError> parseJSON(std::string_view bytes);

} // namespace platform::coding
