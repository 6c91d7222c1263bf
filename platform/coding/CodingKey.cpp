#include "platform/coding/CodingKey.h"

#include "platform/coding/DebugText.h"

namespace platform::coding {

std::string AnyCodingKey::description() const {
    std::string integer = intValue ? "Optional(" + std::to_string(*intValue) + ")" : "nil";
    return singleLine(typeName) + "(stringValue: " + debugQuoted(stringValue) +
           ", intValue: " + integer + ")";
}

} // namespace platform::coding
