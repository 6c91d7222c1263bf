#include "core/ResultsModel.h"

ResultsModel ResultsModel::decode(platform::coding::Decoder& decoder) {
    auto container = decoder.container<CodingKeys>();
    // Braced initialisers run in order, so the keys are read as listed.
    return ResultsModel{
        .yearResult = container.decode<std::int64_t>(CodingKeys::yearResult),
        .yearPlan = container.decode<std::int64_t>(CodingKeys::yearPlan),
        .monthResult = container.decode<std::int64_t>(CodingKeys::monthResult),
        .monthPlan = container.decode<std::int64_t>(CodingKeys::monthPlan),
    };
}
