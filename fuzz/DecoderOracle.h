#pragma once

#include "fuzz/FuzzCheck.h"
#include "fuzz/JSONDepth.h"
#include "fuzz/LogLine.h"
#include "platform/coding/JSONDecoder.h"

#include <nlohmann/json.hpp>
#include <optional>
#include <string_view>

namespace fuzz {

using platform::coding::DecodingError;
using platform::coding::JSONDecoder;

// What nlohmann's own parser makes of the bytes, as the reference the decoder is held to.
struct ReferenceParse {
    bool valid = false;
    std::size_t depth = 0;
    // The document, when valid and within the decoder's nesting limit; duplicate names keep
    // the last value, as the decoder does.
    std::optional<nlohmann::json> document;
};

inline ReferenceParse referenceParse(std::string_view bytes) {
    const char* begin = bytes.empty() ? "" : bytes.data();
    ReferenceParse reference;
    // nlohmann's lexer reads a NUL byte as the end of the input; in JSON it is never valid.
    reference.valid = nlohmann::json::accept(begin, begin + bytes.size()) &&
                      bytes.find('\0') == std::string_view::npos;
    if (!reference.valid) {
        return reference;
    }
    reference.depth = nestingDepth(bytes);
    if (reference.depth <= platform::coding::maximumJSONDepth) {
        reference.document = nlohmann::json::parse(begin, begin + bytes.size());
    }
    return reference;
}

template <class T> auto decodeOrDie(const JSONDecoder& decoder, std::string_view bytes) {
    try {
        return decoder.decode<T>(bytes);
    } catch (const std::exception& error) {
        fail("an exception left JSONDecoder::decode", error.what());
    } catch (...) {
        fail("an exception left JSONDecoder::decode");
    }
}

inline JSONDecoder snakeCaseDecoder() {
    JSONDecoder decoder;
    decoder.keyDecodingStrategy = JSONDecoder::KeyDecodingStrategy::convertFromSnakeCase;
    return decoder;
}

inline bool isInvalidJSONError(const DecodingError& error) {
    return error.kind == DecodingError::Kind::dataCorrupted && error.context.codingPath.empty() &&
           error.context.debugDescription == "The given data was not valid JSON." &&
           error.context.underlyingError.has_value();
}

// Every failure reads as one clean line, and the parser is rejected exactly when the reference
// rejects it (or nests deeper than the limit).
inline void requireConsistentFailure(const DecodingError& error, const ReferenceParse& reference,
                                     Charset charset) {
    std::string line = error.description();
    requireOneLogLine(line, charset);
    bool tooDeep = reference.valid && reference.depth > platform::coding::maximumJSONDepth;
    bool shouldBeInvalid = !reference.valid || tooDeep;
    require(isInvalidJSONError(error) == shouldBeInvalid,
            shouldBeInvalid ? "bytes the reference refuses were decoded past the parser"
                            : "bytes the reference accepts were called invalid JSON",
            line);
    if (tooDeep) {
        require(error.context.underlyingError->message.starts_with(
                    "Too many nested arrays or dictionaries around character "),
                "deep nesting failed for another reason", line);
    }
    switch (error.kind) {
    case DecodingError::Kind::keyNotFound:
        require(error.key.has_value() && error.type.empty(), "keyNotFound without its key", line);
        break;
    case DecodingError::Kind::typeMismatch:
    case DecodingError::Kind::valueNotFound:
        require(!error.type.empty() && !error.key, "mismatch without the expected type", line);
        break;
    case DecodingError::Kind::dataCorrupted:
        require(error.type.empty() && !error.key, "dataCorrupted with a type or key", line);
        break;
    }
}

} // namespace fuzz
