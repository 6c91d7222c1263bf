#include "platform/coding/JSONDecoder.h"

#include <array>
#include <clocale>
#include <cstdint>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <tuple>

using namespace platform::coding;
using namespace std::string_literals;
using Kind = DecodingError::Kind;

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

static auto decode(std::string_view json, bool fromSnakeCase = true) {
    JSONDecoder decoder;
    if (fromSnakeCase) {
        decoder.keyDecodingStrategy = JSONDecoder::KeyDecodingStrategy::convertFromSnakeCase;
    }
    return decoder.decode<Tally>(json);
}

static std::string withCount(std::string_view number) {
    return R"({"item_count": )" + std::string(number) + R"(, "item_label": "a"})";
}

// The same under a locale whose decimal point is a comma: the parser writes numbers through it.
TEST(JSONDecoder, Int64TakesAWholeNumberInRangeWrittenInAnyForm) {
    const std::int64_t max = INT64_MAX, min = INT64_MIN;
    // clang-format off
    const std::pair<const char*, std::optional<std::int64_t>> cases[] = {
        {"1500", 1500}, {"1500.0", 1500}, {"1.5e3", 1500}, {"1.5E+3", 1500}, {"150000e-2", 1500},
        {"1e3", 1000}, {"-1500", -1500}, {"0", 0}, {"-0", 0}, {"-0.0", 0},
        {"0e999999999999999999999", 0}, {"9223372036854775807", max},
        {"-9223372036854775808", min}, {"9223372036854775807.000", max},
        {"9.223372036854775807e18", max}, {"9007199254740993.0", 9007199254740993}, // past a double
        {"12.5", {}}, {"1500.0000000000000000001", {}}, {"1e-1", {}}, {"9223372036854775808", {}},
        {"-9223372036854775809", {}}, {"1e19", {}}, {"18446744073709551616", {}}};
    // clang-format on
    const std::string before = std::setlocale(LC_NUMERIC, nullptr);
    for (const char* numericLocale : {"C", "ru_RU.UTF-8"}) {
        ASSERT_TRUE(std::setlocale(LC_NUMERIC, numericLocale)) << numericLocale;
        for (const auto& [number, value] : cases) {
            auto tally = decode(withCount(number));
            if (value) {
                EXPECT_EQ(tally ? tally->itemCount : -1, *value) << number;
                continue;
            }
            ASSERT_FALSE(tally) << number;
            EXPECT_EQ(tally.error().kind, Kind::dataCorrupted);
            EXPECT_EQ(tally.error().context.debugDescription,
                      "Parsed JSON number <"s + number + "> does not fit in Int64.");
        }
    }
    std::setlocale(LC_NUMERIC, before.c_str());
}

// Each refusal is one log line, whatever the input holds: nothing from it can break or forge it.
TEST(JSONDecoder, RefusesOtherTypesNullsMissingKeysAndWhatIsNotJSONOnOneSafeLine) {
    const std::string notJSON = "The given data was not valid JSON.";
    const std::string int64But = "Expected to decode Int64 but found ";
    const std::string dictionaryBut = "Expected to decode Dictionary<String, Any> but found ";
    auto noKey = [](std::string key) {
        return R"(No value associated with key CodingKeys(stringValue: ")" + key +
               R"(", intValue: nil) (")" + key + R"(").)";
    };
    // clang-format off
    const std::tuple<std::string, Kind, std::string> cases[] = {
        {withCount(R"("1500")"), Kind::typeMismatch, int64But + "a string/data instead."},
        {withCount("true"), Kind::typeMismatch, int64But + "a bool instead."},
        {withCount("[1500]"), Kind::typeMismatch, int64But + "an array instead."},
        {withCount("{}"), Kind::typeMismatch, int64But + "a dictionary instead."},
        {withCount("null"), Kind::valueNotFound, "Expected Int64 value but found null instead."},
        {R"({"item_count": 1, "item_label": 2})", Kind::typeMismatch,
         "Expected to decode String but found a number instead."},
        {R"({"item_count": 1})", Kind::keyNotFound, noKey("itemLabel")},
        // The first key read that fails decides, whatever follows it.
        {R"({"item_label": 2, "item_count": "x"})", Kind::typeMismatch,
         int64But + "a string/data instead."},
        // Names are matched after conversion and exactly.
        {R"({"ItemCount": 1, "item_label": "a"})", Kind::keyNotFound, noKey("itemCount")},
        {"[1, 2]", Kind::typeMismatch, dictionaryBut + "an array instead."},
        {R"("item_count")", Kind::typeMismatch, dictionaryBut + "a string/data instead."},
        {"null", Kind::valueNotFound,
         "Cannot get keyed decoding container -- found null value instead."},
        {"", Kind::dataCorrupted, notJSON},
        {"<html><body>401 Unauthorized</body></html>", Kind::dataCorrupted, notJSON},
        {withCount("1") + " trailing", Kind::dataCorrupted, notJSON},
        {R"({"item_count": 1, "item_label": "a")", Kind::dataCorrupted, notJSON},
        {withCount("1e400"), Kind::dataCorrupted, notJSON},
        {"{\"item_label\": \"\xff\"}", Kind::dataCorrupted, notJSON},
        {"<html>\nINJECTED\r\n</html>", Kind::dataCorrupted, notJSON},
        {"{\"item_count\": tru\nINJECTED", Kind::dataCorrupted, notJSON},
        {"{\"item_label\": \"a\nINJECTED\"}", Kind::dataCorrupted, notJSON},
        {"{\"INJECTED\x01\": 1}\n\u2028INJECTED", Kind::dataCorrupted, notJSON},
        {"[\"INJECTED\" \"\\\" x\"]", Kind::dataCorrupted, notJSON},
        // The parser underneath takes a NUL byte for the end of the input, which once let a
        // valid value through with anything behind it. Inputs the fuzzers (fuzz/) found:
        {"7\0"s, Kind::dataCorrupted, notJSON}, {"{}\0"s, Kind::dataCorrupted, notJSON},
        {"\0"s, Kind::dataCorrupted, notJSON},
        {"{\"figure\": 1}\0{\"figure\": 2}"s, Kind::dataCorrupted, notJSON},
        {"{\"figure\": 1} \0 garbage"s, Kind::dataCorrupted, notJSON},
        {"[1, \0 2]"s, Kind::dataCorrupted, notJSON},
        {"{\"figure\": 1\0}"s, Kind::dataCorrupted, notJSON},
        {"{\"figure\": \"a\0\"}"s, Kind::dataCorrupted, notJSON}};
    // clang-format on
    for (const auto& [json, kind, debugDescription] : cases) {
        auto tally = decode(json);
        ASSERT_FALSE(tally) << json;
        EXPECT_EQ(tally.error().kind, kind) << json;
        EXPECT_EQ(tally.error().context.debugDescription, debugDescription) << json;
        const auto line = tally.error().description();
        EXPECT_EQ(line.find_first_of("\n\r\0"s), std::string::npos) << line;
        EXPECT_EQ(line.find("\u2028"), std::string::npos) << line;
        EXPECT_EQ(line.find("INJECTED"), std::string::npos) << line;
    }
    // Whatever an error quotes is escaped, its key and reason included.
    const auto made = DecodingError::keyNotFound({"CodingKeys", "a\"b\\c\nd\te\x01", std::nullopt},
                                                 {{}, "x\"\n\u2028y", std::nullopt});
    EXPECT_EQ(made.description(),
              R"(keyNotFound(CodingKeys(stringValue: "a\"b\\c\nd\te\u{1}", intValue: nil), )"
              R"(Swift.DecodingError.Context(codingPath: [], debugDescription: "x\"\n\u{2028}y", )"
              R"(underlyingError: nil)))");
}

TEST(JSONDecoder, NestingIsLimitedNotFatal) {
    auto nested = [](size_t depth) {
        return R"({"item_count": 1, "item_label": "a", "deep": )" + std::string(depth, '[') +
               std::string(depth, ']') + "}";
    };
    EXPECT_TRUE(decode(nested(maximumJSONDepth - 1)));
    auto tooDeep = decode(nested(maximumJSONDepth));
    ASSERT_FALSE(tooDeep);
    EXPECT_EQ(tooDeep.error().kind, Kind::dataCorrupted);
    auto hostile = decode(std::string(100'000, '['));
    ASSERT_FALSE(hostile);
    ASSERT_TRUE(hostile.error().context.underlyingError);
    EXPECT_EQ(hostile.error().context.underlyingError->message,
              "Too many nested arrays or dictionaries around character 512.");
}

TEST(JSONDecoder, TheLastMemberToGiveAKeyWinsAndDefaultKeysMatchAsWritten) {
    // clang-format off
    const std::pair<const char*, std::int64_t> cases[] = {
        {R"({"item_count": 1, "item_count": 2, "item_label": "a"})", 2},
        {R"({"itemCount": 1, "item_count": 2, "item_label": "a"})", 2},
        {R"({"item_count": 1, "itemCount": 2, "item_label": "a"})", 2},
        {R"({"item_label": "a", "other": null, "itemCount": 3})", 3}};
    // clang-format on
    for (const auto& [json, itemCount] : cases) {
        auto tally = decode(json);
        EXPECT_EQ(tally ? tally->itemCount : -1, itemCount) << json;
    }
    EXPECT_EQ(JSONDecoder().keyDecodingStrategy, JSONDecoder::KeyDecodingStrategy::useDefaultKeys);
    EXPECT_TRUE(decode(R"({"itemCount": 1, "itemLabel": "a"})", false));
    auto snake = decode(R"({"item_count": 1, "item_label": "a"})", false);
    EXPECT_EQ(snake ? Kind::dataCorrupted : snake.error().kind, Kind::keyNotFound);
}
