#include "platform/coding/JSONDecoder.h"

#include <array>
#include <clocale>
#include <gtest/gtest.h>
#include <optional>
#include <ostream>
#include <string>

using namespace platform::coding;
using Kind = DecodingError::Kind;

namespace {

// A record of one number and one text, as the system's records are made.
struct Tally {
    std::int64_t itemCount = 0;
    std::string itemLabel;

    struct CodingKeyTable {
        enum Value { itemCount, itemLabel };
        static constexpr std::array<std::string_view, 2> stringValues{"itemCount", "itemLabel"};
    };
    using CodingKeys = StringCodingKey<CodingKeyTable>;

    static Tally decode(Decoder& decoder) {
        auto container = decoder.container<CodingKeys>();
        return Tally{container.decode<std::int64_t>(CodingKeys::itemCount),
                     container.decode<std::string>(CodingKeys::itemLabel)};
    }
};

platform::foundation::Expected<Tally, DecodingError> decodeSnakeCase(std::string_view json) {
    JSONDecoder decoder;
    decoder.keyDecodingStrategy = JSONDecoder::KeyDecodingStrategy::convertFromSnakeCase;
    return decoder.decode<Tally>(json);
}

std::string withCount(std::string_view number) {
    return R"({"item_count": )" + std::string(number) + R"(, "item_label": "a"})";
}

struct WholeNumber {
    const char* text;
    std::int64_t value;
};
void PrintTo(const WholeNumber& c, std::ostream* out) {
    *out << c.text;
}

class Int64Accepts : public testing::TestWithParam<WholeNumber> {};

TEST_P(Int64Accepts, AnyWholeNumberInRangeInAnyForm) {
    auto tally = decodeSnakeCase(withCount(GetParam().text));
    ASSERT_TRUE(tally) << tally.error().description();
    EXPECT_EQ(tally->itemCount, GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(Forms, Int64Accepts,
                         testing::Values(WholeNumber{"1500", 1500}, WholeNumber{"1500.0", 1500},
                                         WholeNumber{"1.5e3", 1500}, WholeNumber{"1.5E+3", 1500},
                                         WholeNumber{"150000e-2", 1500}, WholeNumber{"1e3", 1000},
                                         WholeNumber{"-1500", -1500}, WholeNumber{"0", 0},
                                         WholeNumber{"-0", 0}, WholeNumber{"-0.0", 0},
                                         WholeNumber{"0e999999999999999999999", 0},
                                         WholeNumber{"9223372036854775807", INT64_MAX},
                                         WholeNumber{"-9223372036854775808", INT64_MIN},
                                         WholeNumber{"9223372036854775807.000", INT64_MAX},
                                         WholeNumber{"9.223372036854775807e18", INT64_MAX},
                                         // Beyond a double's precision, still exact.
                                         WholeNumber{"9007199254740993.0", 9007199254740993}));

struct Failure {
    const char* json;
    Kind kind;
    const char* debugDescription;
};
void PrintTo(const Failure& c, std::ostream* out) {
    *out << c.json;
}

class DecodingFails : public testing::TestWithParam<Failure> {};

TEST_P(DecodingFails, WithTheCategoryAndReason) {
    auto tally = decodeSnakeCase(GetParam().json);
    ASSERT_FALSE(tally);
    EXPECT_EQ(tally.error().kind, GetParam().kind) << tally.error().description();
    EXPECT_EQ(tally.error().context.debugDescription, GetParam().debugDescription);
}

INSTANTIATE_TEST_SUITE_P(
    Values, DecodingFails,
    testing::Values(
        Failure{R"({"item_count": 12.5, "item_label": "a"})", Kind::dataCorrupted,
                "Parsed JSON number <12.5> does not fit in Int64."},
        Failure{R"({"item_count": 1500.0000000000000000001, "item_label": "a"})",
                Kind::dataCorrupted,
                "Parsed JSON number <1500.0000000000000000001> does not fit in Int64."},
        Failure{R"({"item_count": 9223372036854775808, "item_label": "a"})", Kind::dataCorrupted,
                "Parsed JSON number <9223372036854775808> does not fit in Int64."},
        Failure{R"({"item_count": -9223372036854775809, "item_label": "a"})", Kind::dataCorrupted,
                "Parsed JSON number <-9223372036854775809> does not fit in Int64."},
        Failure{R"({"item_count": 1e19, "item_label": "a"})", Kind::dataCorrupted,
                "Parsed JSON number <1e19> does not fit in Int64."},
        Failure{R"({"item_count": 18446744073709551616, "item_label": "a"})", Kind::dataCorrupted,
                "Parsed JSON number <18446744073709551616> does not fit in Int64."},
        Failure{R"({"item_count": 1e-1, "item_label": "a"})", Kind::dataCorrupted,
                "Parsed JSON number <1e-1> does not fit in Int64."},
        Failure{R"({"item_count": "1500", "item_label": "a"})", Kind::typeMismatch,
                "Expected to decode Int64 but found a string/data instead."},
        Failure{R"({"item_count": true, "item_label": "a"})", Kind::typeMismatch,
                "Expected to decode Int64 but found a bool instead."},
        Failure{R"({"item_count": [1500], "item_label": "a"})", Kind::typeMismatch,
                "Expected to decode Int64 but found an array instead."},
        Failure{R"({"item_count": {}, "item_label": "a"})", Kind::typeMismatch,
                "Expected to decode Int64 but found a dictionary instead."},
        Failure{R"({"item_count": null, "item_label": "a"})", Kind::valueNotFound,
                "Expected Int64 value but found null instead."},
        Failure{R"({"item_count": 1, "item_label": 2})", Kind::typeMismatch,
                "Expected to decode String but found a number instead."},
        Failure{R"({"item_count": 1, "item_label": null})", Kind::valueNotFound,
                "Expected String value but found null instead."},
        Failure{R"({"item_count": 1})", Kind::keyNotFound,
                "No value associated with key CodingKeys(stringValue: \"itemLabel\", intValue: "
                "nil) (\"itemLabel\")."},
        // The first key read that fails decides, whatever follows it.
        Failure{R"({"item_label": 2, "item_count": "x"})", Kind::typeMismatch,
                "Expected to decode Int64 but found a string/data instead."},
        // Names are matched after conversion and exactly.
        Failure{R"({"ItemCount": 1, "item_label": "a"})", Kind::keyNotFound,
                "No value associated with key CodingKeys(stringValue: \"itemCount\", intValue: "
                "nil) (\"itemCount\")."},
        Failure{"[1, 2]", Kind::typeMismatch,
                "Expected to decode Dictionary<String, Any> but found an array instead."},
        Failure{R"("item_count")", Kind::typeMismatch,
                "Expected to decode Dictionary<String, Any> but found a string/data instead."},
        Failure{"null", Kind::valueNotFound,
                "Cannot get keyed decoding container -- found null value instead."}));

INSTANTIATE_TEST_SUITE_P(
    NotJSON, DecodingFails,
    testing::Values(Failure{"", Kind::dataCorrupted, "The given data was not valid JSON."},
                    Failure{"<html><body>401 Unauthorized</body></html>", Kind::dataCorrupted,
                            "The given data was not valid JSON."},
                    Failure{R"({"item_count": 1, "item_label": "a"} trailing)", Kind::dataCorrupted,
                            "The given data was not valid JSON."},
                    Failure{R"({"item_count": 1, "item_label": "a")", Kind::dataCorrupted,
                            "The given data was not valid JSON."},
                    Failure{R"({"item_count": 1e400, "item_label": "a"})", Kind::dataCorrupted,
                            "The given data was not valid JSON."},
                    Failure{"{\"item_label\": \"\xff\"}", Kind::dataCorrupted,
                            "The given data was not valid JSON."}));

TEST(JSONDecoder, FailuresNameTheKeyPath) {
    auto mismatch = decodeSnakeCase(withCount("\"1\""));
    ASSERT_FALSE(mismatch);
    EXPECT_EQ(mismatch.error().context.codingPath,
              (CodingPath{{"CodingKeys", "itemCount", std::nullopt}}));
    EXPECT_EQ(mismatch.error().type, "Swift.Int64");

    auto missing = decodeSnakeCase(R"({"item_count": 1})");
    ASSERT_FALSE(missing);
    EXPECT_TRUE(missing.error().context.codingPath.empty());
    EXPECT_EQ(missing.error().key, (AnyCodingKey{"CodingKeys", "itemLabel", std::nullopt}));
}

TEST(JSONDecoder, InvalidJSONKeepsTheParsersReasonAndWhere) {
    auto empty = decodeSnakeCase("");
    ASSERT_FALSE(empty);
    EXPECT_EQ(empty.error().description(),
              "dataCorrupted(Swift.DecodingError.Context(codingPath: [], debugDescription: \"The "
              "given data was not valid JSON.\", underlyingError: Optional(Error "
              "Domain=NSCocoaErrorDomain Code=3840 \"Syntax error while parsing value - "
              "unexpected end of input; expected '[', '{', or a literal around character 0.\" "
              "UserInfo={NSDebugDescription=Syntax error while parsing value - unexpected end of "
              "input; expected '[', '{', or a literal around character 0.})))");

    auto html = decodeSnakeCase("\n<html>");
    ASSERT_FALSE(html);
    ASSERT_TRUE(html.error().context.underlyingError);
    EXPECT_EQ(html.error().context.underlyingError->message,
              "Syntax error while parsing value - invalid literal around character 1.");
}

TEST(JSONDecoder, HostileInputCannotBreakOrForgeTheLogLine) {
    for (std::string json :
         {std::string("<html>\nINJECTED\r\n</html>"), std::string("{\"item_count\": tru\nINJECTED"),
          std::string("{\"item_label\": \"a\nINJECTED\"}"),
          std::string("{\"INJECTED\x01\": 1}\n\u2028INJECTED"),
          std::string("[\"INJECTED\" \"\\\" x\"]")}) {
        auto tally = decodeSnakeCase(json);
        ASSERT_FALSE(tally);
        std::string line = tally.error().description();
        EXPECT_EQ(line.find_first_of("\n\r"), std::string::npos) << line;
        EXPECT_EQ(line.find("\u2028"), std::string::npos) << line;
        EXPECT_EQ(line.find("INJECTED"), std::string::npos) << line;
    }
}

TEST(JSONDecoder, DescriptionsEscapeEveryTextTheyQuote) {
    DecodingError error = DecodingError::keyNotFound(
        {"CodingKeys", "a\"b\\c\nd\te\x01", std::nullopt}, {{}, "x\"\n\u2028y", std::nullopt});
    EXPECT_EQ(error.description(),
              R"(keyNotFound(CodingKeys(stringValue: "a\"b\\c\nd\te\u{1}", intValue: nil), )"
              R"(Swift.DecodingError.Context(codingPath: [], debugDescription: "x\"\n\u{2028}y", )"
              R"(underlyingError: nil)))");
}

TEST(JSONDecoder, NestingIsLimitedNotFatal) {
    auto withNesting = [](size_t arrays) {
        return R"({"item_count": 1, "item_label": "a", "deep": )" + std::string(arrays, '[') +
               std::string(arrays, ']') + "}";
    };
    EXPECT_TRUE(decodeSnakeCase(withNesting(maximumJSONDepth - 1)));

    auto tooDeep = decodeSnakeCase(withNesting(maximumJSONDepth));
    ASSERT_FALSE(tooDeep);
    EXPECT_EQ(tooDeep.error().kind, Kind::dataCorrupted);

    auto hostile = decodeSnakeCase(std::string(100'000, '['));
    ASSERT_FALSE(hostile);
    ASSERT_TRUE(hostile.error().context.underlyingError);
    EXPECT_EQ(hostile.error().context.underlyingError->message,
              "Too many nested arrays or dictionaries around character 512.");
}

struct Members {
    const char* json;
    std::int64_t itemCount;
};
void PrintTo(const Members& c, std::ostream* out) {
    *out << c.json;
}

class MemberNames : public testing::TestWithParam<Members> {};

TEST_P(MemberNames, LastMemberToGiveAKeyWins) {
    auto tally = decodeSnakeCase(GetParam().json);
    ASSERT_TRUE(tally) << tally.error().description();
    EXPECT_EQ(tally->itemCount, GetParam().itemCount);
}

INSTANTIATE_TEST_SUITE_P(
    Duplicates, MemberNames,
    testing::Values(Members{R"({"item_count": 1, "item_count": 2, "item_label": "a"})", 2},
                    Members{R"({"itemCount": 1, "item_count": 2, "item_label": "a"})", 2},
                    Members{R"({"item_count": 1, "itemCount": 2, "item_label": "a"})", 2},
                    Members{R"({"item_label": "a", "other": null, "itemCount": 3})", 3}));

TEST(JSONDecoder, DefaultKeysAreMatchedAsWritten) {
    JSONDecoder decoder;
    EXPECT_EQ(decoder.keyDecodingStrategy, JSONDecoder::KeyDecodingStrategy::useDefaultKeys);
    EXPECT_TRUE(decoder.decode<Tally>(R"({"itemCount": 1, "itemLabel": "a"})"));
    auto snake = decoder.decode<Tally>(R"({"item_count": 1, "item_label": "a"})");
    ASSERT_FALSE(snake);
    EXPECT_EQ(snake.error().kind, Kind::keyNotFound);
}

TEST(JSONDecoder, NumbersReadTheSameUnderACommaDecimalLocale) {
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    std::string restore = previous ? previous : "C";
    bool switched = false;
    for (const char* name : {"ru_RU.UTF-8", "de_DE.UTF-8", "fr_FR.UTF-8"}) {
        if (std::setlocale(LC_NUMERIC, name)) {
            switched = true;
            break;
        }
    }
    if (!switched) {
        GTEST_SKIP() << "no locale with a comma decimal point installed";
    }
    auto whole = decodeSnakeCase(withCount("1500.0"));
    auto fraction = decodeSnakeCase(withCount("12.5"));
    std::setlocale(LC_NUMERIC, restore.c_str());
    ASSERT_TRUE(whole);
    EXPECT_EQ(whole->itemCount, 1500);
    ASSERT_FALSE(fraction);
    EXPECT_EQ(fraction.error().context.debugDescription,
              "Parsed JSON number <12.5> does not fit in Int64.");
}

} // namespace
