// The widget host's own words, from the catalogue built beside each widget program, in the
// user's language: what its stale mark says when the content is old and when no answer came.

#include "platform/foundation/Bundle.h"
#include "platform/foundation/TimeZone.h"
#include "platform/widget/HostStrings.h"
#include "platform/widget/StaleMark.h"
#include "tests/support/ScopedEnv.h"

#include <clocale>
#include <gtest/gtest.h>
#include <libintl.h>
#include <optional>
#include <string>

namespace {

using platform::foundation::Bundle;
using platform::foundation::Date;
using platform::widget::Presentation;
using trelvo::test::ScopedEnv;

// gettext takes LANGUAGE first, once the messages locale is not "C".
class ScopedLanguage {
public:
    explicit ScopedLanguage(const char* language)
        : saved_(std::setlocale(LC_MESSAGES, nullptr))
        , language_("LANGUAGE", language) {
        std::setlocale(LC_MESSAGES, "");
        textdomain(textdomain(nullptr)); // gettext keeps answers until its catalogues change
    }
    ~ScopedLanguage() {
        std::setlocale(LC_MESSAGES, saved_.c_str());
        textdomain(textdomain(nullptr));
    }
    ScopedLanguage(const ScopedLanguage&) = delete;
    ScopedLanguage& operator=(const ScopedLanguage&) = delete;

private:
    std::string saved_;
    ScopedEnv all_{"LC_ALL", "C.UTF-8"};
    ScopedEnv language_;
};

Presentation stale(std::optional<Date> lastUpdated) {
    Presentation presentation;
    presentation.stale = true;
    presentation.lastUpdated = lastUpdated;
    return presentation;
}

TEST(HostCatalogue, TheStaleMarkSpeaksTheUsersLanguageInEveryWidget) {
    platform::foundation::ScopedTimeZone utc("UTC");
    const auto nineOhFive = Date::fromTimeIntervalSince1970(1623369600 + 9 * 3600 + 5 * 60);
    struct Case {
        const char* program;
        const char* language;
        Presentation presentation;
        std::optional<std::string> said;
    };
    const Case cases[] = {
        {RESULTS_WIDGET_EXTENSION, "ru", stale(std::nullopt), "Нет связи с сервисом"},
        {VANTOREL_WIDGET_EXTENSION, "ru", stale(nineOhFive), "Обновлено в 09:05"},
        {RESULTS_WIDGET_EXTENSION, "en", stale(std::nullopt), "Can't reach the service"},
        {VANTOREL_WIDGET_EXTENSION, "en", stale(nineOhFive), "Last updated 09:05"},
        {RESULTS_WIDGET_EXTENSION, "de", stale(std::nullopt), "Can't reach the service"},
        {RESULTS_WIDGET_EXTENSION, "ru", Presentation{}, std::nullopt}, // fresh: nothing to say
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.program) + " in " + c.language);
        ScopedLanguage language(c.language);
        const auto strings = platform::widget::hostStrings(Bundle::forExecutable(c.program));
        ASSERT_TRUE(strings) << "no resources beside the program";
        EXPECT_EQ(platform::widget::staleText(c.presentation, strings), c.said);
    }
}

} // namespace
