#pragma once

#include "platform/coding/CodingKey.h"
#include "platform/coding/Decoder.h"

#include <array>
#include <string>
#include <string_view>

// The body of the version endpoint's answer: the version the service offers, exactly as sent.
struct AppVersionModel {
    std::string version = "0";

    struct CodingKeyTable {
        enum Value { version };
        static constexpr std::array<std::string_view, 1> stringValues{"version"};
    };
    using CodingKeys = platform::coding::StringCodingKey<CodingKeyTable>;

    // "version" must be a string; every other member is ignored.
    static AppVersionModel decode(platform::coding::Decoder& decoder);

    // AppVersionModel(version: "1.0"), the text escaped so that any answer stays one line.
    std::string description() const;

    friend bool operator==(const AppVersionModel&, const AppVersionModel&) = default;
};
