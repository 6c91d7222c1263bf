#pragma once

#include "platform/foundation/Date.h"

#include <cstdint>

// The results widget's timeline entry: the two results, their completion ratios and the moment
// from which the host shows it. Values are kept exactly as given.
struct ResultsEntry {
    platform::foundation::Date date = platform::foundation::Date::now();
    std::int64_t yearResults = 0;
    std::int64_t monthResults = 0;
    double yearCompletion = 0.0;
    double monthCompletion = 0.0;

    friend bool operator==(const ResultsEntry&, const ResultsEntry&) = default;
};
