// The widget host's own words, from the catalogue built beside each widget program, in the
// user's language: what its stale mark says of old content and of content never answered.

#include "platform/foundation/Bundle.h"
#include "platform/foundation/TimeZone.h"
#include "platform/widget/HostStrings.h"
#include "platform/widget/StaleMark.h"
#include "tests/support/ScopedEnv.h"

#include <clocale>
#include <gtest/gtest.h>
#include <libintl.h>

namespace {

using platform::foundation::Date;
using platform::widget::Presentation;
using trelvo::test::ScopedEnv;

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
        {VANTOREL_WIDGET_EXTENSION, "de", stale(std::nullopt), "Can't reach the service"},
        {RESULTS_WIDGET_EXTENSION, "en", stale(nineOhFive), "Last updated 09:05"},
        {RESULTS_WIDGET_EXTENSION, "ru", Presentation{}, std::nullopt}, // fresh: nothing to say
    };
    // gettext takes LANGUAGE first once the messages locale is not "C".
    ScopedEnv locale("LC_ALL", "C.UTF-8");
    const std::string saved = std::setlocale(LC_MESSAGES, nullptr);
    std::setlocale(LC_MESSAGES, "");
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.program) + " in " + c.language);
        ScopedEnv language("LANGUAGE", c.language);
        textdomain(textdomain(nullptr)); // gettext keeps answers until its catalogues change
        const auto strings =
            platform::widget::hostStrings(platform::foundation::Bundle::forExecutable(c.program));
        EXPECT_EQ(platform::widget::staleText(c.presentation, strings), c.said);
    }
    std::setlocale(LC_MESSAGES, saved.c_str());
}

} // namespace
