#include "core/ResultsModel.h"
#include "platform/coding/JSONDecoder.h"

#include <cstdint>
#include <gtest/gtest.h>

// The answer's body, decoded as the service's clients decode it: snake or camel keys, whole
// numbers written either way, and one line naming the first fault otherwise.
TEST(ResultsModel, DecodesTheFourFiguresOrNamesTheFirstFault) {
    const struct {
        const char* json;
        ResultsModel model;
    } decoded[] = {
        {R"({"year_result": 1500, "year_plan": 3000, "month_result": 100, "month_plan": 250})",
         {1500, 3000, 100, 250}},
        {R"({"yearResult": 1500, "yearPlan": 3000, "monthResult": 100, "monthPlan": 250})",
         {1500, 3000, 100, 250}},
        {R"({"status": "ok", "month_plan": 250, "yearPlan": 3000, "month_result": 100,
             "yearResult": 1500, "extra": {"nested": [1, 2]}, "YearResult": 7})",
         {1500, 3000, 100, 250}},
        // Nothing is checked against anything: negatives, zeros, results over plan.
        {R"({"year_result": -5, "year_plan": 0, "month_result": 900, "month_plan": -1})",
         {-5, 0, 900, -1}},
        {R"({"year_result": 1.5e3, "year_plan": 3000.0, "month_result": 1E2,
             "month_plan": 9223372036854775807})",
         {1500, 3000, 100, INT64_MAX}},
    };
    const struct {
        const char* json;
        const char* line;
    } refused[] = {
        {R"({"year_result": 1500, "year_plan": 3000, "month_result": 100})",
         R"(keyNotFound(CodingKeys(stringValue: "monthPlan", intValue: nil), Swift.DecodingError.)"
         R"(Context(codingPath: [], debugDescription: "No value associated with key CodingKeys()"
         R"(stringValue: \"monthPlan\", intValue: nil) (\"monthPlan\").", underlyingError: nil)))"},
        {R"({"year_result": "1500", "year_plan": 3000, "month_result": 100, "month_plan": 250})",
         R"(typeMismatch(Swift.Int64, Swift.DecodingError.Context(codingPath: [CodingKeys()"
         R"(stringValue: "yearResult", intValue: nil)], debugDescription: "Expected to decode )"
         R"(Int64 but found a string/data instead.", underlyingError: nil)))"},
        {R"({"year_result": 1500, "year_plan": null, "month_result": 100, "month_plan": 250})",
         R"(valueNotFound(Swift.Int64, Swift.DecodingError.Context(codingPath: [CodingKeys()"
         R"(stringValue: "yearPlan", intValue: nil)], debugDescription: "Expected Int64 value )"
         R"(but found null instead.", underlyingError: nil)))"},
        {R"({"year_result": 12.5, "year_plan": 3000, "month_result": 100, "month_plan": 250})",
         R"(dataCorrupted(Swift.DecodingError.Context(codingPath: [CodingKeys(stringValue: )"
         R"("yearResult", intValue: nil)], debugDescription: "Parsed JSON number <12.5> does )"
         R"(not fit in Int64.", underlyingError: nil)))"},
        {R"({"year_result": 1, "year_plan": 2, "month_result": 9223372036854775808})",
         R"(dataCorrupted(Swift.DecodingError.Context(codingPath: [CodingKeys(stringValue: )"
         R"("monthResult", intValue: nil)], debugDescription: "Parsed JSON number )"
         R"(<9223372036854775808> does not fit in Int64.", underlyingError: nil)))"},
        // Read in field order: the year plan fails first, the month result is never looked at.
        {R"({"month_result": "bad", "year_plan": null, "year_result": 1})",
         R"(valueNotFound(Swift.Int64, Swift.DecodingError.Context(codingPath: [CodingKeys()"
         R"(stringValue: "yearPlan", intValue: nil)], debugDescription: "Expected Int64 value )"
         R"(but found null instead.", underlyingError: nil)))"},
        {"[1500, 3000, 100, 250]",
         R"(typeMismatch(Swift.Dictionary<Swift.String, Any>, Swift.DecodingError.Context()"
         R"(codingPath: [], debugDescription: "Expected to decode Dictionary<String, Any> but )"
         R"(found an array instead.", underlyingError: nil)))"},
        {"<html><body><h1>401 Authorization Required</h1></body></html>",
         R"(dataCorrupted(Swift.DecodingError.Context(codingPath: [], debugDescription: "The )"
         R"(given data was not valid JSON.", underlyingError: Optional(Error Domain=)"
         R"(NSCocoaErrorDomain Code=3840 "Syntax error while parsing value - invalid literal )"
         R"(around character 0." UserInfo={NSDebugDescription=Syntax error while parsing value )"
         R"(- invalid literal around character 0.}))))"},
    };
    platform::coding::JSONDecoder decoder;
    decoder.keyDecodingStrategy = platform::coding::KeyDecodingStrategy::convertFromSnakeCase;
    for (const auto& c : decoded) {
        const auto model = decoder.decode<ResultsModel>(c.json);
        ASSERT_TRUE(model) << c.json << "\n" << model.error().description();
        EXPECT_EQ(*model, c.model) << c.json;
    }
    for (const auto& c : refused) {
        const auto model = decoder.decode<ResultsModel>(c.json);
        ASSERT_FALSE(model) << c.json;
        EXPECT_EQ(model.error().description(), c.line) << c.json;
    }
}
