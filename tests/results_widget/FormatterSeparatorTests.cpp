#include "platform/foundation/Locale.h"
#include "results_widget/Extension/Numeric+separator.h"

#include <array>
#include <cstdint>
#include <gtest/gtest.h>
#include <set>
#include <thread>
#include <vector>

using namespace results_widget;

// Every gap is one U+0020 SPACE, whatever the locale's own separator and grouping are.
TEST(FormatterWithSeparator, GroupsWithAPlainSpaceInEachLocale) {
    using platform::foundation::Number;
    const struct {
        const char* locale;
        Number number;
        const char* text;
    } cases[] = {
        {"en_US", Number(0), "0"},
        {"en_US", Number(1000), "1 000"},
        {"en_US", Number(-5300), "-5 300"},
        {"ru_RU", Number(1234567), "1 234 567"},
        {"hi_IN", Number(1234567), "12 34 567"},
        {"C", Number(1234567), "1 234 567"},
        {"en_US", Number(INT64_MAX), "9 223 372 036 854 775 807"},
        {"en_US", Number(INT64_MIN), "-9 223 372 036 854 775 808"},
    };
    for (const auto& c : cases) {
        platform::foundation::ScopedLocale locale(c.locale);
        EXPECT_EQ(Formatter::makeWithSeparator().string(c.number), c.text) << c.locale;
    }
}

// Threads racing to the first use all get the one formatter.
TEST(FormatterWithSeparator, ConcurrentFirstUseMakesOneFormatter) {
    std::array<const void*, 8> seen{};
    {
        std::vector<std::jthread> threads;
        for (auto& formatter : seen) {
            threads.emplace_back([&formatter] { formatter = &Formatter::withSeparator(); });
        }
    }
    EXPECT_EQ(std::set(seen.begin(), seen.end()).size(), 1u);
    EXPECT_EQ(formattedWithSeparator(1234567), "1 234 567");
}
