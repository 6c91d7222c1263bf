#include "platform/foundation/Base64.h"
#include "platform/foundation/Description.h"
#include "platform/foundation/LinePrinter.h"
#include "platform/foundation/LoadableModule.h"
#include "platform/foundation/Localization.h"
#include "platform/foundation/NumberFormatter.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TemporaryDirectory.h"
#include "tests/support/TestFiles.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <libintl.h>
#include <limits>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <tuple>
#include <unistd.h>
#include <vector>

using namespace platform::foundation;
using trelvo::test::ScopedEnv;

static NumberFormatter groupedWithSpaces(const char* locale) {
    ScopedLocale scoped(locale);
    NumberFormatter formatter;
    formatter.setNumberStyle(NumberFormatter::Style::decimal);
    formatter.setGroupingSeparator(" ");
    return formatter;
}

TEST(NumberFormatter, GroupsWithTheSeparatorGivenInEveryLocale) {
    using Int64 = std::numeric_limits<std::int64_t>;
    // clang-format off
    const std::tuple<const char*, Number, const char*> cases[] = {
        {"en_US", 1234567, "1 234 567"}, {"en_US", -5300, "-5 300"}, {"en_US", 0, "0"},
        {"en_US", 999, "999"}, {"en_US", 1000, "1 000"}, {"en_US", 89000, "89 000"},
        {"ru_RU", 1234567, "1 234 567"}, {"ru_RU", -5300, "-5 300"}, {"ru_RU", 1000, "1 000"},
        {"pl_PL", 1000, "1 000"}, // Polish groups from five digits by default; we always do
        {"hi_IN", 1234567, "12 34 567"}, {"hi_IN", -123456789, "-12 34 56 789"},
        {"C", 1234567, "1 234 567"}, {"POSIX", -5300, "-5 300"},
        {"en_US", Int64::min(), "-9 223 372 036 854 775 808"},
        {"en_US", Int64::max(), "9 223 372 036 854 775 807"},
        {"en_US", std::numeric_limits<std::uint64_t>::max(), "18 446 744 073 709 551 615"},
        {"en_US", 1234.5, "1 234.5"}, {"ru_RU", 1234.5, "1 234,5"}, {"en_US", 0.12345, "0.123"},
        {"en_US", 2.0, "2"}};
    // clang-format on
    for (const auto& [locale, number, text] : cases) {
        EXPECT_EQ(groupedWithSpaces(locale).string(number), text) << locale;
    }
}

TEST(NumberFormatter, KeepsTheLocaleOfItsCreationAndItsSeparatorUntilOneIsSet) {
    std::optional<NumberFormatter> formatter;
    {
        ScopedLocale locale("ru_RU");
        formatter.emplace();
    }
    EXPECT_EQ(formatter->string(1234567.5), "1234568"); // style none: whole digits, no grouping
    formatter->setNumberStyle(NumberFormatter::Style::decimal);
    EXPECT_EQ(formatter->groupingSeparator(), "\u00A0");
    EXPECT_EQ(formatter->string(1234567.5), "1\u00A0234\u00A0567,5");
    formatter->setGroupingSeparator("");
    EXPECT_EQ(formatter->string(1234567), "1234567");
}

// The widget formats through one shared formatter from whichever thread draws.
TEST(NumberFormatter, OneFormatterServesManyThreadsAtOnce) {
    const auto formatter = groupedWithSpaces("ru_RU");
    const std::pair<Number, std::string> work[] = {
        {1234567, "1 234 567"}, {-5300, "-5 300"}, {89000, "89 000"}, {1234.5, "1 234,5"}};
    std::atomic<int> wrong{0};
    {
        std::vector<std::jthread> threads;
        for (const auto& [number, text] : work) {
            threads.emplace_back([&] {
                for (int i = 0; i < 2000; ++i) {
                    wrong += formatter.string(number) == text ? 0 : 1;
                }
            });
        }
    }
    EXPECT_EQ(wrong, 0);
}

TEST(Locale, TheUsersLocaleIsTheOverrideElseLcAllLcNumericLang) {
    using Variable = std::optional<std::string>;
    // clang-format off
    const std::tuple<const char*, Variable, Variable, Variable, const char*> cases[] = {
        {{}, {}, {}, {}, "en_US"}, {{}, {}, {}, "C", "en_US"}, {{}, {}, {}, "C.UTF-8", "en_US"},
        {{}, {}, {}, "POSIX", "en_US"}, {{}, {}, {}, "ru_RU.UTF-8", "ru_RU"},
        {{}, {}, "hi_IN.UTF-8", "ru_RU.UTF-8", "hi_IN"},
        {{}, "de_DE.UTF-8", "hi_IN.UTF-8", "ru_RU.UTF-8", "de_DE"},
        {{}, "", "", "de_DE@euro", "de_DE"}, {{}, "C", {}, "ru_RU.UTF-8", "en_US"},
        {"hi_IN", "de_DE.UTF-8", {}, {}, "hi_IN"}};
    // clang-format on
    for (const auto& [override, all, numeric, lang, expected] : cases) {
        ScopedEnv allSet("LC_ALL", all), numericSet("LC_NUMERIC", numeric), langSet("LANG", lang);
        std::optional<ScopedLocale> scoped;
        if (override) {
            scoped.emplace(override);
        }
        EXPECT_EQ(Locale::current().identifier(), expected)
            << all.value_or("-") << " " << numeric.value_or("-") << " " << lang.value_or("-");
    }
}

TEST(Description, DoublesAndTextReadAsThePlatformWritesThemOnOneLine) {
    using Double = std::numeric_limits<double>;
    // clang-format off
    const std::pair<double, const char*> cases[] = {
        {0.5, "0.5"}, {1.5, "1.5"}, {0.4, "0.4"}, {100.0, "100.0"}, {0.0, "0.0"}, {-0.0, "-0.0"},
        {-2.5, "-2.5"}, {0.1 + 0.2, "0.30000000000000004"}, {1.0 / 3.0, "0.3333333333333333"},
        {0.0001, "0.0001"}, {0.00001, "1e-05"}, {0.000123, "0.000123"}, {0.0000123, "1.23e-05"},
        {1e15, "1000000000000000.0"}, {9007199254740992.0, "9007199254740992.0"},
        {9007199254740994.0, "9.007199254740994e+15"}, {1e16, "1e+16"}, {1.5e20, "1.5e+20"},
        {5e-324, "5e-324"}, {Double::max(), "1.7976931348623157e+308"}, {-1e100, "-1e+100"},
        {12345.678, "12345.678"}, {Double::infinity(), "inf"}, {-Double::infinity(), "-inf"},
        {Double::quiet_NaN(), "nan"}, {-Double::quiet_NaN(), "nan"}};
    // clang-format on
    for (const auto& [value, text] : cases) {
        EXPECT_EQ(describe(value), text);
    }
    // clang-format off
    const std::pair<std::string, std::string> texts[] = {
        {"1.2", R"("1.2")"}, {"", R"("")"}, {"a\"b", R"("a\"b")"}, {"a\\b", R"("a\\b")"},
        {"it's", R"("it\'s")"}, {"\n\r\t", R"("\n\r\t")"}, {std::string("a\0b", 3), R"("a\0b")"},
        {"\x01\x1B\x7F", R"("\u{01}\u{1B}\u{7F}")"}, {"Версия 2", "\"Версия 2\""},
        {"a\u0085b\u009B", R"("a\u{85}b\u{9B}")"}, // C1 controls: NEL, CSI
        {"1\u20282\u2029", R"("1\u{2028}2\u{2029}")"}, {"\u00A0", "\"\u00A0\""},
        // Not UTF-8: each maximal ill-formed part becomes one U+FFFD.
        {"a\xFF\x62", "\"a\uFFFDb\""}, {"\xE2\x82", "\"\uFFFD\""},
        {"\xED\xA0\x80", "\"\uFFFD\uFFFD\uFFFD\""}, {"\xC0\xAF", "\"\uFFFD\uFFFD\""},
        {"\xF0\x9F\x98\x80", "\"\U0001F600\""}};
    // clang-format on
    for (const auto& [text, literal] : texts) {
        EXPECT_EQ(debugDescription(text), literal);
    }
}

TEST(Base64, EncodesAsRfc4648WithoutLineBreaks) {
    // clang-format off
    const std::pair<std::string, const char*> cases[] = {
        {"", ""}, {"f", "Zg=="}, {"fo", "Zm8="}, {"foo", "Zm9v"}, {"foob", "Zm9vYg=="},
        {"fooba", "Zm9vYmE="}, {"foobar", "Zm9vYmFy"}, {"demo:quillfen", "ZGVtbzpxdWlsbGZlbg=="},
        {std::string("\xFF\xFE\x00\xFB\xEF", 5), "//4A++8="},
        {"логин:пароль", "0LvQvtCz0LjQvTrQv9Cw0YDQvtC70Yw="}};
    // clang-format on
    for (const auto& [bytes, encoded] : cases) {
        EXPECT_EQ(base64EncodedString(bytes), encoded);
    }
    EXPECT_EQ(base64EncodedString(std::array<std::uint8_t, 4>{0x00, 0x10, 0x83, 0xFF}), "ABCD/w==");
    const auto long400 = base64EncodedString(std::string(300, 'a'));
    EXPECT_EQ(long400.size(), 400u);
    EXPECT_EQ(long400.find_first_not_of("YWFh"), std::string::npos);
}

TEST(LinePrinter, LinesFromManyThreadsReachStandardOutputWhole) {
    trelvo::test::TemporaryDirectory folder;
    const auto file = folder.path() / "stdout";
    std::fflush(stdout);
    const int terminal = ::dup(1), out = ::open(file.c_str(), O_WRONLY | O_CREAT, 0600);
    ASSERT_GE(::dup2(out, 1), 0);
    {
        std::vector<std::jthread> threads;
        for (char letter : {'a', 'b', 'c', 'd'}) {
            threads.emplace_back([letter] {
                for (int i = 0; i < 200; ++i) {
                    print(std::string(50, letter));
                }
            });
        }
    }
    ::dup2(terminal, 1);
    ::close(terminal);
    ::close(out);
    std::istringstream lines(trelvo::test::readFile(file));
    int count = 0;
    for (std::string line; std::getline(lines, line); ++count) {
        EXPECT_TRUE(line.size() == 50 && line == std::string(50, line[0])) << line;
    }
    EXPECT_EQ(count, 800);
}

TEST(LoadableModule, IsFoundWhereTheProgramsLookOrSaysWhyNot) {
    const auto modules = moduleFolder(); // the build tree's: the tests' main points there
    EXPECT_TRUE(moduleSymbol("svg-image", "trelvo_open_svg_document"));
    auto missing = moduleSymbol("svg-image", "no_such_entry");
    EXPECT_EQ(missing ? "" : missing.error(),
              (modules / "svg-image.so").string() + " has no no_such_entry");
    {
        trelvo::test::TemporaryDirectory elsewhere;
        ScopedModuleFolder moved(elsewhere.path());
        auto absent = moduleSymbol("svg-image", "trelvo_open_svg_document");
        const auto why = "cannot load " + (elsewhere.path() / "svg-image.so").string() + ": ";
        EXPECT_TRUE(!absent && absent.error().starts_with(why)) << why;
    }
    EXPECT_EQ(moduleFolder(), modules);
}

TEST(Localization, LooksKeysUpInTheUsersCatalogueAndAnswersNothingWithoutOne) {
    // clang-format off
    const std::tuple<const char*, const char*, std::optional<std::string>> cases[] = {
        {"en", "дней до события", "days until the event"}, {"de", "дней до события", {}},
        {"ru", "days until the event", "дней до события"}, {"en", "a key no catalogue has", {}},
        {"en", "", {}}};
    // clang-format on
    // LANGUAGE counts only when the messages locale is not "C"; C.UTF-8 is always there.
    ScopedEnv all("LC_ALL", "C.UTF-8");
    const Localization table("trelvo-test", TRELVO_TEST_LOCALE_DIR);
    for (const auto& [language, key, shown] : cases) {
        ScopedEnv languageSet("LANGUAGE", language);
        textdomain(textdomain(nullptr)); // gettext caches lookups until its catalogue count moves
        EXPECT_EQ(table.string(key), shown) << language << " " << key;
    }
}
