#include "platform/foundation/Locale.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <optional>
#include <ostream>
#include <string>

using namespace platform::foundation;

namespace {

// Sets or clears the locale variables for one test and puts them back afterwards.
class LocaleEnvironment {
public:
    LocaleEnvironment() {
        for (auto& [name, value] : saved_) {
            if (const char* current = std::getenv(name)) {
                value = current;
            }
            unsetenv(name);
        }
    }
    ~LocaleEnvironment() {
        for (const auto& [name, value] : saved_) {
            value ? setenv(name, value->c_str(), 1) : unsetenv(name);
        }
    }
    void set(const char* name, const char* value) {
        if (value) {
            setenv(name, value, 1);
        }
    }

private:
    std::pair<const char*, std::optional<std::string>> saved_[3] = {
        {"LC_ALL", {}}, {"LC_NUMERIC", {}}, {"LANG", {}}};
};

struct EnvironmentCase {
    const char* lcAll;
    const char* lcNumeric;
    const char* lang;
    const char* expected;
};

void PrintTo(const EnvironmentCase& c, std::ostream* os) {
    auto show = [](const char* value) { return value ? value : "unset"; };
    *os << show(c.lcAll) << " " << show(c.lcNumeric) << " " << show(c.lang);
}

class LocaleFromEnvironment : public testing::TestWithParam<EnvironmentCase> {};

TEST_P(LocaleFromEnvironment, FollowsPosixPrecedence) {
    const auto& c = GetParam();
    LocaleEnvironment environment;
    environment.set("LC_ALL", c.lcAll);
    environment.set("LC_NUMERIC", c.lcNumeric);
    environment.set("LANG", c.lang);
    EXPECT_EQ(Locale::current().identifier(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Variables, LocaleFromEnvironment,
    testing::Values(EnvironmentCase{nullptr, nullptr, nullptr, "en_US"},
                    EnvironmentCase{nullptr, nullptr, "C", "en_US"},
                    EnvironmentCase{nullptr, nullptr, "C.UTF-8", "en_US"},
                    EnvironmentCase{nullptr, nullptr, "POSIX", "en_US"},
                    EnvironmentCase{nullptr, nullptr, "ru_RU.UTF-8", "ru_RU"},
                    EnvironmentCase{nullptr, "hi_IN.UTF-8", "ru_RU.UTF-8", "hi_IN"},
                    EnvironmentCase{"de_DE.UTF-8", "hi_IN.UTF-8", "ru_RU.UTF-8", "de_DE"},
                    EnvironmentCase{"", "", "de_DE@euro", "de_DE"},
                    EnvironmentCase{"C", nullptr, "ru_RU.UTF-8", "en_US"}));

TEST(ScopedLocale, OverridesTheEnvironmentAndNests) {
    LocaleEnvironment environment;
    environment.set("LANG", "de_DE.UTF-8");
    {
        ScopedLocale outer("ru_RU");
        {
            ScopedLocale inner("hi_IN");
            EXPECT_EQ(Locale::current().identifier(), "hi_IN");
        }
        EXPECT_EQ(Locale::current().identifier(), "ru_RU");
    }
    EXPECT_EQ(Locale::current().identifier(), "de_DE");
}

} // namespace
