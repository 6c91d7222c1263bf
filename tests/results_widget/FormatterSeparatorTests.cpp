#include "platform/foundation/Locale.h"
#include "results_widget/Extension/Formatter+separator.h"
#include "results_widget/Extension/Numeric+separator.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <limits>
#include <set>
#include <thread>
#include <vector>

using namespace results_widget;
using platform::foundation::Number;
using platform::foundation::ScopedLocale;

namespace {

struct Case {
    const char* locale;
    Number number;
    const char* text;
};

// Every gap is one U+0020 SPACE, whatever the locale's own separator is.
const Case cases[] = {
    {"en_US", Number(0), "0"},
    {"en_US", Number(999), "999"},
    {"en_US", Number(1000), "1 000"},
    {"en_US", Number(1234567), "1 234 567"},
    {"en_US", Number(89000), "89 000"},
    {"en_US", Number(-5300), "-5 300"},
    {"ru_RU", Number(1234567), "1 234 567"},
    {"ru_RU", Number(-5300), "-5 300"},
    {"hi_IN", Number(1234567), "12 34 567"},
    {"C", Number(1234567), "1 234 567"},
    {"en_US", Number(std::numeric_limits<std::int64_t>::max()), "9 223 372 036 854 775 807"},
    {"en_US", Number(std::numeric_limits<std::int64_t>::min()), "-9 223 372 036 854 775 808"},
};

} // namespace

TEST(FormatterWithSeparator, GroupsWithAPlainSpaceInEachLocale) {
    for (const auto& c : cases) {
        ScopedLocale locale(c.locale);
        EXPECT_EQ(Formatter::makeWithSeparator().string(c.number), c.text) << c.locale;
    }
}

TEST(FormatterWithSeparator, ConcurrentFirstUseMakesOneFormatter) {
    std::vector<const void*> seen(8);
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < seen.size(); ++i) {
        threads.emplace_back([&seen, i] {
            seen[i] = &Formatter::withSeparator();
            formattedWithSeparator(1234567);
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(std::set<const void*>(seen.begin(), seen.end()).size(), 1u);
}
