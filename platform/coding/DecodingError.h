#pragma once

#include "platform/coding/CodingKey.h"

#include <optional>
#include <string>
#include <vector>

namespace platform::coding {

using CodingPath = std::vector<AnyCodingKey>;

// The error beneath a decoding error, such as the parser's own.
struct UnderlyingError {
    std::string domain;
    int code = 0;
    std::string message;

    // Error Domain=NSCocoaErrorDomain Code=3840 "message" UserInfo={NSDebugDescription=message}
    std::string description() const;

    friend bool operator==(const UnderlyingError&, const UnderlyingError&) = default;
};

// Why a value could not be decoded, in the platform's four categories.
struct DecodingError {
    enum class Kind { typeMismatch, valueNotFound, keyNotFound, dataCorrupted };

    struct Context {
        CodingPath codingPath;
        std::string debugDescription;
        std::optional<UnderlyingError> underlyingError;

        friend bool operator==(const Context&, const Context&) = default;
    };

    Kind kind = Kind::dataCorrupted;
    // The expected type for typeMismatch and valueNotFound ("Swift.Int64"), else empty.
    std::string type;
    // The missing key for keyNotFound.
    std::optional<AnyCodingKey> key;
    Context context;

    static DecodingError typeMismatch(std::string type, Context context);
    static DecodingError valueNotFound(std::string type, Context context);
    static DecodingError keyNotFound(AnyCodingKey key, Context context);
    static DecodingError dataCorrupted(Context context);

    // One line in the platform's form, every text from the input escaped, e.g.
    // keyNotFound(CodingKeys(stringValue: "monthPlan", intValue: nil),
    // Swift.DecodingError.Context(codingPath: [], debugDescription: "...", underlyingError: nil))
    std::string description() const;

    friend bool operator==(const DecodingError&, const DecodingError&) = default;
};

} // namespace platform::coding
