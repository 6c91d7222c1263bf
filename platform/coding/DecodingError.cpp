#include "platform/coding/DecodingError.h"

#include "platform/coding/DebugText.h"

namespace platform::coding {
namespace {

std::string describe(const CodingPath& path) {
    std::string text = "[";
    for (size_t i = 0; i < path.size(); ++i) {
        text += (i ? ", " : "") + path[i].description();
    }
    return text + "]";
}

std::string describe(const DecodingError::Context& context) {
    std::string underlying = context.underlyingError
                                 ? "Optional(" + context.underlyingError->description() + ")"
                                 : "nil";
    return "Swift.DecodingError.Context(codingPath: " + describe(context.codingPath) +
           ", debugDescription: " + debugQuoted(context.debugDescription) +
           ", underlyingError: " + underlying + ")";
}

} // namespace

std::string UnderlyingError::description() const {
    std::string text = singleLine(message);
    return "Error Domain=" + singleLine(domain) + " Code=" + std::to_string(code) + " \"" + text +
           "\" UserInfo={NSDebugDescription=" + text + "}";
}

DecodingError DecodingError::typeMismatch(std::string type, Context context) {
    return {Kind::typeMismatch, std::move(type), std::nullopt, std::move(context)};
}

DecodingError DecodingError::valueNotFound(std::string type, Context context) {
    return {Kind::valueNotFound, std::move(type), std::nullopt, std::move(context)};
}

DecodingError DecodingError::keyNotFound(AnyCodingKey key, Context context) {
    return {Kind::keyNotFound, {}, std::move(key), std::move(context)};
}

DecodingError DecodingError::dataCorrupted(Context context) {
    return {Kind::dataCorrupted, {}, std::nullopt, std::move(context)};
}

std::string DecodingError::description() const {
    std::string contextText = describe(context);
    switch (kind) {
    case Kind::typeMismatch:
        return "typeMismatch(" + singleLine(type) + ", " + contextText + ")";
    case Kind::valueNotFound:
        return "valueNotFound(" + singleLine(type) + ", " + contextText + ")";
    case Kind::keyNotFound:
        return "keyNotFound(" + (key ? key->description() : std::string("nil")) + ", " +
               contextText + ")";
    case Kind::dataCorrupted:
        break;
    }
    return "dataCorrupted(" + contextText + ")";
}

} // namespace platform::coding
