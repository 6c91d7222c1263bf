// Decodes arbitrary bytes as the results service's answer and holds the decoder to what a
// client of it relies on: no exception escapes, every failure is one clean log line naming one
// of the record's keys, the parser agrees with nlohmann's on what is JSON, and every success is
// the document's own numbers and decodes again to the same record.
#include "core/ResultsModel.h"
#include "fuzz/DecoderOracle.h"
#include "platform/coding/SnakeCase.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace {

using namespace fuzz;
using Keys = ResultsModel::CodingKeyTable;

constexpr std::array<std::string_view, 4> snakeNames{"year_result", "year_plan", "month_result",
                                                     "month_plan"};

std::array<std::int64_t, 4> fields(const ResultsModel& model) {
    return {model.yearResult, model.yearPlan, model.monthResult, model.monthPlan};
}

bool isRecordKey(const platform::coding::AnyCodingKey& key) {
    for (auto name : Keys::stringValues) {
        if (key.stringValue == name) {
            return key.typeName == "CodingKeys" && !key.intValue;
        }
    }
    return false;
}

std::string bodyOf(const ResultsModel& model, const std::array<std::string_view, 4>& names) {
    nlohmann::json body = nlohmann::json::object();
    auto values = fields(model);
    for (std::size_t i = 0; i < names.size(); ++i) {
        body[std::string(names[i])] = values[i];
    }
    return body.dump();
}

// The decoded numbers come from the document: for each key some member whose converted name is
// the key holds a number equal to it (a fraction-written one rounds to the same double).
void requireFromDocument(const ResultsModel& model, const nlohmann::json& document) {
    require(document.is_object(), "a record decoded from a non-object");
    auto values = fields(model);
    for (std::size_t i = 0; i < values.size(); ++i) {
        bool found = false;
        for (const auto& [name, value] : document.items()) {
            if (platform::coding::convertFromSnakeCase(name) != Keys::stringValues[i] ||
                !value.is_number()) {
                continue;
            }
            if (value.is_number_integer()) {
                found = found || (value.is_number_unsigned()
                                      ? value.get<std::uint64_t>() == std::uint64_t(values[i]) &&
                                            values[i] >= 0
                                      : value.get<std::int64_t>() == values[i]);
            } else {
                found = found || value.get<double>() == double(values[i]);
            }
        }
        require(found, "a decoded number is in no member of its key",
                std::string(Keys::stringValues[i]));
    }
}

// A document whose every key has exactly one member, an integer in range, must decode to it.
void requireDecodesWhenPlain(
    const nlohmann::json& document,
    const platform::foundation::Expected<ResultsModel, DecodingError>& got) {
    if (!document.is_object()) {
        return;
    }
    std::array<std::int64_t, 4> expected{};
    for (std::size_t i = 0; i < expected.size(); ++i) {
        int members = 0;
        for (const auto& [name, value] : document.items()) {
            if (platform::coding::convertFromSnakeCase(name) != Keys::stringValues[i]) {
                continue;
            }
            ++members;
            bool inRange = value.is_number_integer() &&
                           (!value.is_number_unsigned() ||
                            value.get<std::uint64_t>() <= std::uint64_t(INT64_MAX));
            if (!inRange) {
                return;
            }
            expected[i] = value.get<std::int64_t>();
        }
        if (members != 1) {
            return;
        }
    }
    require(got.hasValue(), "a plain document did not decode",
            got ? "" : got.error().description());
    require(fields(*got) == expected, "a plain document decoded to other numbers");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const JSONDecoder decoder = snakeCaseDecoder();
    auto model = decodeOrDie<ResultsModel>(decoder, bytes);
    ReferenceParse reference = referenceParse(bytes);

    if (!model) {
        const DecodingError& error = model.error();
        requireConsistentFailure(error, reference, Charset::printableAscii);
        std::string line = error.description();
        if (error.key) {
            require(isRecordKey(*error.key) && error.context.codingPath.empty(),
                    "keyNotFound for a key the record does not have", line);
        }
        const auto& path = error.context.codingPath;
        require(path.size() <= 1, "a coding path deeper than the record", line);
        require(path.empty() || isRecordKey(path.front()), "a coding path outside the record",
                line);
        if (reference.document) {
            requireDecodesWhenPlain(*reference.document, model);
        }
        return 0;
    }

    require(reference.valid && reference.document.has_value(), "a record decoded from non-JSON");
    requireFromDocument(*model, *reference.document);
    requireDecodesWhenPlain(*reference.document, model);

    auto again = decodeOrDie<ResultsModel>(decoder, bytes);
    require(again && *again == *model, "the same bytes decoded differently");

    auto snake = decodeOrDie<ResultsModel>(decoder, bodyOf(*model, snakeNames));
    require(snake && *snake == *model, "the record's snake-case body decoded differently");

    JSONDecoder defaultKeys;
    auto camel = decodeOrDie<ResultsModel>(defaultKeys, bodyOf(*model, Keys::stringValues));
    require(camel && *camel == *model, "the record's camel-case body decoded differently");
    return 0;
}
