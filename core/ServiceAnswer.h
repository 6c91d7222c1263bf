#pragma once

#include "platform/coding/JSONDecoder.h"
#include "platform/foundation/LinePrinter.h"
#include "platform/net/URLError.h"
#include "platform/net/URLSession.h"

#include <optional>

// How every client of the service reads an answer: a transport error prints "Error: " and the
// error as an optional, no body is silence, a body that does not decode prints the decoder's
// line. The status is never looked at; only a decoded record comes back.
void printTransportError(const platform::net::URLError& error);

template <class Record>
std::optional<Record> decodeServiceAnswer(const std::optional<platform::net::Data>& data,
                                          const std::optional<platform::net::URLError>& error) {
    if (error) {
        printTransportError(*error);
        return std::nullopt;
    }
    if (!data) {
        return std::nullopt;
    }
    platform::coding::JSONDecoder decoder;
    decoder.keyDecodingStrategy = platform::coding::KeyDecodingStrategy::convertFromSnakeCase;
    auto record = decoder.decode<Record>(platform::net::asStringView(*data));
    if (!record) {
        platform::foundation::print(record.error().description());
        return std::nullopt;
    }
    return std::move(*record);
}
