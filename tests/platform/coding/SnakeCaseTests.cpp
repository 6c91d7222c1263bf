#include "platform/coding/SnakeCase.h"

#include <gtest/gtest.h>
#include <string>
#include <utility>

using platform::coding::convertFromSnakeCase;

TEST(ConvertFromSnakeCase, MatchesThePlatformsConversion) {
    // clang-format off
    const std::pair<const char*, const char*> cases[] = {
        // The service's own keys, either spelling.
        {"year_result", "yearResult"}, {"month_plan", "monthPlan"}, {"yearResult", "yearResult"},
        // No inner underscore: unchanged, case and all.
        {"MonthPlan", "MonthPlan"}, {"", ""}, {"_", "_"}, {"__", "__"}, {"a_", "a_"}, {"_a", "_a"},
        {"_MonthPlan_", "_MonthPlan_"},
        // Outer underscores kept, inner runs collapse.
        {"_month_plan_", "_monthPlan_"}, {"__year_result__", "__yearResult__"},
        {"month__plan", "monthPlan"}, {"a__b", "aB"}, {"a_b_c", "aBC"},
        // First word lowercased, later ones capitalised; a letter after a non-letter starts one.
        {"YEAR_PLAN", "yearPlan"}, {"a_bC", "aBc"}, {"x_1st", "x1St"},
        {"top_10_items", "top10Items"},
        // Unicode case mapping, full mappings included.
        {"ÄÖ_ü", "äöÜ"}, {"ИТОГ_ГОДА", "итогГода"}, {"a_ßb", "aSsb"}};
    // clang-format on
    for (const auto& [key, converted] : cases) {
        EXPECT_EQ(convertFromSnakeCase(key), converted) << key;
    }
    // Invalid UTF-8 neither crashes nor loses the ASCII words.
    EXPECT_TRUE(convertFromSnakeCase("\xff\xfe_plan").ends_with("Plan"));
}
