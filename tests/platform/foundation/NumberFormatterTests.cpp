#include "platform/foundation/NumberFormatter.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <limits>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

using namespace platform::foundation;

namespace {

NumberFormatter decimalWithSpaces(const char* locale) {
    ScopedLocale scoped(locale);
    NumberFormatter formatter;
    formatter.setNumberStyle(NumberFormatter::Style::decimal);
    formatter.setGroupingSeparator(" ");
    return formatter;
}

struct FormatCase {
    const char* locale;
    Number number;
    const char* expected;
};

void PrintTo(const FormatCase& c, std::ostream* os) {
    *os << c.locale << " " << c.expected;
}

class DecimalWithSpaceSeparator : public testing::TestWithParam<FormatCase> {};

TEST_P(DecimalWithSpaceSeparator, FormatsInTheLocaleWithPlainSpaces) {
    const auto& c = GetParam();
    EXPECT_EQ(decimalWithSpaces(c.locale).string(c.number), std::string(c.expected));
}

constexpr auto int64Min = std::numeric_limits<std::int64_t>::min();
constexpr auto int64Max = std::numeric_limits<std::int64_t>::max();
constexpr auto uint64Max = std::numeric_limits<std::uint64_t>::max();

INSTANTIATE_TEST_SUITE_P(
    Locales, DecimalWithSpaceSeparator,
    testing::Values(FormatCase{"en_US", 1234567, "1 234 567"}, FormatCase{"en_US", -5300, "-5 300"},
                    FormatCase{"en_US", 0, "0"}, FormatCase{"en_US", 999, "999"},
                    FormatCase{"en_US", 1000, "1 000"}, FormatCase{"en_US", 89000, "89 000"},
                    FormatCase{"ru_RU", 1234567, "1 234 567"}, FormatCase{"ru_RU", -5300, "-5 300"},
                    FormatCase{"ru_RU", 1000, "1 000"},
                    // Polish waits for five digits by default; grouping is always shown here.
                    FormatCase{"pl_PL", 1000, "1 000"}, FormatCase{"hi_IN", 1234567, "12 34 567"},
                    FormatCase{"hi_IN", -123456789, "-12 34 56 789"},
                    FormatCase{"C", 1234567, "1 234 567"}, FormatCase{"POSIX", -5300, "-5 300"},
                    FormatCase{"en_US", int64Min, "-9 223 372 036 854 775 808"},
                    FormatCase{"en_US", int64Max, "9 223 372 036 854 775 807"},
                    FormatCase{"en_US", uint64Max, "18 446 744 073 709 551 615"},
                    FormatCase{"en_US", 1234.5, "1 234.5"}, FormatCase{"ru_RU", 1234.5, "1 234,5"},
                    FormatCase{"en_US", 0.12345, "0.123"}, FormatCase{"en_US", 2.0, "2"}));

TEST(NumberFormatter, KeepsTheLocalesSeparatorUntilOneIsSet) {
    ScopedLocale locale("ru_RU");
    NumberFormatter formatter;
    formatter.setNumberStyle(NumberFormatter::Style::decimal);
    EXPECT_EQ(formatter.groupingSeparator(), "\u00A0");
    EXPECT_EQ(formatter.string(1234567), "1\u00A0234\u00A0567");
    formatter.setGroupingSeparator("");
    EXPECT_EQ(formatter.string(1234567), "1234567");
}

TEST(NumberFormatter, StyleNoneWritesWholeDigitsOnly) {
    ScopedLocale locale("en_US");
    NumberFormatter formatter;
    EXPECT_EQ(formatter.numberStyle(), NumberFormatter::Style::none);
    EXPECT_EQ(formatter.string(1234567), "1234567");
    EXPECT_EQ(formatter.string(2.5), "2");
}

TEST(NumberFormatter, TakesTheLocaleCurrentAtCreation) {
    std::optional<NumberFormatter> formatter;
    {
        ScopedLocale locale("ru_RU");
        formatter.emplace();
    }
    formatter->setNumberStyle(NumberFormatter::Style::decimal);
    EXPECT_EQ(formatter->locale().identifier(), "ru_RU");
    EXPECT_EQ(formatter->string(1.5), "1,5");
}

TEST(NumberFormatter, OneFormatterServesManyThreadsAtOnce) {
    auto formatter = decimalWithSpaces("ru_RU");
    std::vector<std::string> expected;
    for (std::int64_t i = 0; i < 500; ++i) {
        expected.push_back(formatter.string(i * 1'000'003 - 250'000'000).value());
    }
    std::vector<int> mismatches(8, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([&, t] {
            for (int round = 0; round < 20; ++round) {
                for (std::int64_t i = 0; i < 500; ++i) {
                    if (formatter.string(i * 1'000'003 - 250'000'000) != expected[i]) {
                        ++mismatches[t];
                    }
                }
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(mismatches, std::vector<int>(8, 0));
}

} // namespace
