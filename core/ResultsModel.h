#pragma once

#include "platform/coding/CodingKey.h"
#include "platform/coding/Decoder.h"

#include <array>
#include <cstdint>
#include <string_view>

// The body of the results service's answer: the four figures, as sent.
struct ResultsModel {
    std::int64_t yearResult = 0;
    std::int64_t yearPlan = 0;
    std::int64_t monthResult = 0;
    std::int64_t monthPlan = 0;

    struct CodingKeyTable {
        enum Value { yearResult, yearPlan, monthResult, monthPlan };
        static constexpr std::array<std::string_view, 4> stringValues{"yearResult", "yearPlan",
                                                                      "monthResult", "monthPlan"};
    };
    using CodingKeys = platform::coding::StringCodingKey<CodingKeyTable>;

    // Reads the four keys in field order; the first that fails ends decoding.
    static ResultsModel decode(platform::coding::Decoder& decoder);

    friend bool operator==(const ResultsModel&, const ResultsModel&) = default;
};
