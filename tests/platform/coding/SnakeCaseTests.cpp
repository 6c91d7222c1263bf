#include "platform/coding/SnakeCase.h"

#include <gtest/gtest.h>
#include <ostream>

using platform::coding::convertFromSnakeCase;

namespace {

struct SnakeCase {
    const char* key;
    const char* converted;
};

void PrintTo(const SnakeCase& c, std::ostream* out) {
    *out << '"' << c.key << '"';
}

class ConvertFromSnakeCase : public testing::TestWithParam<SnakeCase> {};

TEST_P(ConvertFromSnakeCase, MatchesThePlatformsConversion) {
    EXPECT_EQ(convertFromSnakeCase(GetParam().key), GetParam().converted) << GetParam().key;
}

INSTANTIATE_TEST_SUITE_P(
    Keys, ConvertFromSnakeCase,
    testing::Values(
        // The service's own keys, either spelling.
        SnakeCase{"year_result", "yearResult"}, SnakeCase{"month_plan", "monthPlan"},
        SnakeCase{"yearResult", "yearResult"},
        // No inner underscore: unchanged, case and all.
        SnakeCase{"MonthPlan", "MonthPlan"}, SnakeCase{"", ""}, SnakeCase{"_", "_"},
        SnakeCase{"__", "__"}, SnakeCase{"a_", "a_"}, SnakeCase{"_a", "_a"},
        SnakeCase{"_MonthPlan_", "_MonthPlan_"},
        // Outer underscores kept, inner runs collapse.
        SnakeCase{"_month_plan_", "_monthPlan_"}, SnakeCase{"__year_result__", "__yearResult__"},
        SnakeCase{"month__plan", "monthPlan"}, SnakeCase{"a__b", "aB"}, SnakeCase{"a_b_c", "aBC"},
        // First word lowercased, later words capitalised.
        SnakeCase{"YEAR_PLAN", "yearPlan"}, SnakeCase{"a_bC", "aBc"},
        // A letter after a non-letter starts a word, as on the platform.
        SnakeCase{"x_1st", "x1St"}, SnakeCase{"top_10_items", "top10Items"},
        // Unicode case mapping, full mappings included.
        SnakeCase{"ÄÖ_ü", "äöÜ"}, SnakeCase{"ИТОГ_ГОДА", "итогГода"}, SnakeCase{"a_ßb", "aSsb"}));

TEST(ConvertFromSnakeCase, InvalidUtf8NeitherCrashesNorLosesTheAsciiWords) {
    std::string converted = convertFromSnakeCase("\xff\xfe_plan");
    EXPECT_TRUE(converted.ends_with("Plan")) << converted;
}

} // namespace
