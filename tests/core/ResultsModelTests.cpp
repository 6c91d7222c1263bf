#include "core/ResultsEntity.h"
#include "core/ResultsModel.h"
#include "platform/coding/JSONDecoder.h"
#include "platform/foundation/Clock.h"

#include <gtest/gtest.h>
#include <ostream>
#include <string>

using platform::coding::DecodingError;
using platform::coding::JSONDecoder;
using platform::foundation::Date;
using Kind = DecodingError::Kind;

namespace {

// As the repository decodes a body.
platform::foundation::Expected<ResultsModel, DecodingError> decode(std::string_view body) {
    JSONDecoder decoder;
    decoder.keyDecodingStrategy = JSONDecoder::KeyDecodingStrategy::convertFromSnakeCase;
    return decoder.decode<ResultsModel>(body);
}

struct Body {
    const char* json;
    ResultsModel model;
};
void PrintTo(const Body& c, std::ostream* out) {
    *out << c.json;
}

class ResultsModelDecodes : public testing::TestWithParam<Body> {};

TEST_P(ResultsModelDecodes, EveryFigureUnchanged) {
    auto model = decode(GetParam().json);
    ASSERT_TRUE(model) << model.error().description();
    EXPECT_EQ(*model, GetParam().model);
}

INSTANTIATE_TEST_SUITE_P(
    Bodies, ResultsModelDecodes,
    testing::Values(
        Body{R"({"year_result": 1500, "year_plan": 3000, "month_result": 100, "month_plan": 250})",
             {1500, 3000, 100, 250}},
        Body{R"({"yearResult": 1500, "yearPlan": 3000, "monthResult": 100, "monthPlan": 250})",
             {1500, 3000, 100, 250}},
        Body{R"({"month_plan": 250, "yearPlan": 3000, "month_result": 100, "yearResult": 1500})",
             {1500, 3000, 100, 250}},
        Body{R"({"status": "ok", "year_result": 1500, "year_plan": 3000, "month_result": 100,
                 "month_plan": 250, "extra": {"nested": [1, 2]}, "YearResult": 7})",
             {1500, 3000, 100, 250}},
        // Nothing is checked against anything: negatives, zeros, results over plan.
        Body{R"({"year_result": -5, "year_plan": 0, "month_result": 900, "month_plan": -1})",
             {-5, 0, 900, -1}},
        Body{R"({"year_result": 1.5e3, "year_plan": 3000.0, "month_result": 1E2,
                 "month_plan": 9223372036854775807})",
             {1500, 3000, 100, INT64_MAX}}));

struct Rejected {
    const char* json;
    Kind kind;
    const char* description; // the whole line, where it matters
};
void PrintTo(const Rejected& c, std::ostream* out) {
    *out << c.json;
}

class ResultsModelRejects : public testing::TestWithParam<Rejected> {};

TEST_P(ResultsModelRejects, WithOneLineNamingTheFault) {
    auto model = decode(GetParam().json);
    ASSERT_FALSE(model);
    EXPECT_EQ(model.error().kind, GetParam().kind) << model.error().description();
    if (*GetParam().description) {
        EXPECT_EQ(model.error().description(), GetParam().description);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Bodies, ResultsModelRejects,
    testing::Values(
        Rejected{R"({"year_result": 1500, "year_plan": 3000, "month_result": 100})",
                 Kind::keyNotFound,
                 R"(keyNotFound(CodingKeys(stringValue: "monthPlan", intValue: nil), )"
                 R"(Swift.DecodingError.Context(codingPath: [], debugDescription: "No value )"
                 R"(associated with key CodingKeys(stringValue: \"monthPlan\", intValue: nil) )"
                 R"((\"monthPlan\").", underlyingError: nil)))"},
        Rejected{R"({"year_result": "1500", "year_plan": 3000, "month_result": 100,
                     "month_plan": 250})",
                 Kind::typeMismatch,
                 R"(typeMismatch(Swift.Int64, Swift.DecodingError.Context(codingPath: )"
                 R"([CodingKeys(stringValue: "yearResult", intValue: nil)], debugDescription: )"
                 R"("Expected to decode Int64 but found a string/data instead.", )"
                 R"(underlyingError: nil)))"},
        Rejected{R"({"year_result": 1500, "year_plan": null, "month_result": 100,
                     "month_plan": 250})",
                 Kind::valueNotFound,
                 R"(valueNotFound(Swift.Int64, Swift.DecodingError.Context(codingPath: )"
                 R"([CodingKeys(stringValue: "yearPlan", intValue: nil)], debugDescription: )"
                 R"("Expected Int64 value but found null instead.", underlyingError: nil)))"},
        Rejected{R"({"year_result": 12.5, "year_plan": 3000, "month_result": 100,
                     "month_plan": 250})",
                 Kind::dataCorrupted,
                 R"(dataCorrupted(Swift.DecodingError.Context(codingPath: [CodingKeys()"
                 R"(stringValue: "yearResult", intValue: nil)], debugDescription: "Parsed JSON )"
                 R"(number <12.5> does not fit in Int64.", underlyingError: nil)))"},
        Rejected{R"({"year_result": 1500, "year_plan": 3000, "month_result": 9223372036854775808,
                     "month_plan": 250})",
                 Kind::dataCorrupted, ""},
        // Read in field order: the year plan fails first, the month result is never looked at.
        Rejected{R"({"month_result": "bad", "year_plan": null, "year_result": 1})",
                 Kind::valueNotFound, ""},
        Rejected{"[1500, 3000, 100, 250]", Kind::typeMismatch,
                 R"(typeMismatch(Swift.Dictionary<Swift.String, Any>, )"
                 R"(Swift.DecodingError.Context(codingPath: [], debugDescription: "Expected to )"
                 R"(decode Dictionary<String, Any> but found an array instead.", )"
                 R"(underlyingError: nil)))"},
        Rejected{"", Kind::dataCorrupted, ""},
        Rejected{"<!DOCTYPE html>\n<html><head><title>401 Authorization Required</title>"
                 "</head>\n<body><h1>401 Authorization Required</h1></body></html>\n",
                 Kind::dataCorrupted, ""}));

TEST(ResultsModelCodingKeys, TextsInFieldOrderFoundOnlyByExactText) {
    using Keys = ResultsModel::CodingKeys;
    const char* texts[] = {"yearResult", "yearPlan", "monthResult", "monthPlan"};
    for (int order = 0; order < 4; ++order) {
        Keys key(static_cast<Keys::Value>(order));
        EXPECT_EQ(key.stringValue(), texts[order]);
        EXPECT_EQ(key.intValue(), std::nullopt);
        EXPECT_EQ(Keys::fromStringValue(texts[order]), key);
        EXPECT_EQ(Keys::fromIntValue(order), std::nullopt);
    }
    for (const char* other : {"yearresult", "YearResult", "year_result", "", "yearResult "}) {
        EXPECT_EQ(Keys::fromStringValue(other), std::nullopt) << other;
    }
}

TEST(ResultsEntry, DefaultsToNowAndZeros) {
    Date tenOClock = Date::fromTimeIntervalSince1970(1'623'405'600);
    platform::foundation::ScopedClock clock(tenOClock);
    ResultsEntry entry;
    EXPECT_EQ(entry.date, tenOClock);
    EXPECT_EQ(entry.yearResults, 0);
    EXPECT_EQ(entry.monthResults, 0);
    EXPECT_EQ(entry.yearCompletion, 0.0);
    EXPECT_EQ(entry.monthCompletion, 0.0);

    ResultsEntry given{tenOClock.addingTimeInterval(60), 1500, -100, 0.5, 1.25};
    EXPECT_EQ(given.date, tenOClock.addingTimeInterval(60));
    EXPECT_EQ(given.yearResults, 1500);
    EXPECT_EQ(given.monthResults, -100);
    EXPECT_EQ(given.yearCompletion, 0.5);
    EXPECT_EQ(given.monthCompletion, 1.25);
}

} // namespace
