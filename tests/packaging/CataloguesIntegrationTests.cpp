// The programs' own catalogues, as built, looked up the way each program looks them up at start:
// the bundle of its executable, the domain of its name, the user's language from the environment.

#include "app/ContentView.h"
#include "countdown_widget/VantorelWidget.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Localization.h"
#include "platform/ui/DisplayList.h"
#include "platform/ui/LocalizedStringKey.h"
#include "platform/ui/Render.h"
#include "platform/ui/Resources.h"
#include "platform/widget/BundleResources.h"
#include "tests/support/ScopedEnv.h"

#include <clocale>
#include <gtest/gtest.h>
#include <libintl.h>
#include <locale.h>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace {

using namespace countdown_widget;
using platform::foundation::Bundle;
using platform::foundation::Localization;
using platform::ui::DisplayItem;
using trelvo::test::ScopedEnv;

const std::string countdownProgram = VANTOREL_WIDGET_EXTENSION;
const std::string appProgram = TRELVO_RESULTS;

bool localeExists(const char* name) {
    locale_t probe = ::newlocale(LC_MESSAGES_MASK, name, nullptr);
    if (!probe) {
        return false;
    }
    ::freelocale(probe);
    return true;
}

// The user's language as a program takes it at start: from the environment, through setlocale.
class ScopedUserLanguage {
public:
    ScopedUserLanguage(const std::string& lang, const std::optional<std::string>& language)
        : saved_(std::setlocale(LC_MESSAGES, nullptr))
        , lang_("LANG", lang)
        , language_("LANGUAGE", language) {
        std::setlocale(LC_MESSAGES, "");
        textdomain(textdomain(nullptr)); // gettext keeps answers until its catalogues change
    }
    ~ScopedUserLanguage() {
        std::setlocale(LC_MESSAGES, saved_.c_str());
        textdomain(textdomain(nullptr));
    }
    ScopedUserLanguage(const ScopedUserLanguage&) = delete;
    ScopedUserLanguage& operator=(const ScopedUserLanguage&) = delete;

private:
    std::string saved_;
    ScopedEnv all_{"LC_ALL", std::nullopt};
    ScopedEnv messages_{"LC_MESSAGES", std::nullopt};
    ScopedEnv lang_;
    ScopedEnv language_;
};

std::vector<std::string> textsOf(const platform::ui::View& view, platform::ui::Size size) {
    std::vector<std::string> texts;
    for (const auto& item : platform::ui::record(view, size).items(DisplayItem::Kind::text)) {
        texts.push_back(item.text);
    }
    return texts;
}

struct LanguageCase {
    const char* name;
    const char* lang;
    std::optional<std::string> language;
    std::vector<std::string> countdown;
    std::string countdownDescription;
    std::vector<std::string> app;
};

void PrintTo(const LanguageCase& c, std::ostream* out) {
    *out << c.name;
}

const std::vector<std::string> russianCountdown{"10", "дней до события", "Чемпионат Европы 2021"};
const std::vector<std::string> russianApp{"Made by Dovrel for Trelvo",
                                          "Добавьте Widget в mac os чтобы видеть результаты",
                                          "текущая версия приложения: 1.0", "обновить до версии 0"};
const std::string russianDescription = "Ведет отсчет до следующего крупного события";

class ProgramTexts : public testing::TestWithParam<LanguageCase> {
protected:
    void SetUp() override {
        for (const char* needed : {"en_US.UTF-8", "ru_RU.UTF-8"}) {
            if (!localeExists(needed)) {
                GTEST_SKIP() << needed << " is not generated here (scripts/install-deps does it)";
            }
        }
    }
};

TEST_P(ProgramTexts, AreTheUsersLanguageAndTheOriginalWhereItHasNoTranslation) {
    const auto& c = GetParam();
    ScopedUserLanguage user(c.lang, c.language);
    {
        platform::ui::ScopedResources resources(
            platform::widget::bundleResources(Bundle::forExecutable(countdownProgram)));
        EXPECT_EQ(textsOf(VantorelWidget::content(DaysUntilEntry{{}, 10}), {170, 170}),
                  c.countdown);
        const auto configuration = VantorelWidget().body();
        const auto& widget = configuration.descriptor();
        EXPECT_EQ(widget.description.resolved(), c.countdownDescription);
        EXPECT_EQ(widget.displayName.resolved(), "Next big event countdown");
    }
    {
        platform::ui::ScopedResources resources(
            platform::widget::bundleResources(Bundle::forExecutable(appProgram)));
        auto window = ContentView(std::make_shared<NetworkManager>()).body("1.0");
        EXPECT_EQ(textsOf(window, {400, 400}), c.app);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Languages, ProgramTexts,
    testing::Values(LanguageCase{"English",
                                 "en_US.UTF-8",
                                 std::nullopt,
                                 {"10", "days until the event", "European Championship 2021"},
                                 "Counts down to the next big event",
                                 {"Made by Dovrel for Trelvo",
                                  "Add the Widget in mac os to see the results",
                                  "current app version: 1.0", "update to version 0"}},
                    LanguageCase{"Russian", "ru_RU.UTF-8", std::nullopt, russianCountdown,
                                 russianDescription, russianApp},
                    // Russian first: its catalogue answers, English is never reached.
                    LanguageCase{"Russian before English", "en_US.UTF-8", "ru:en", russianCountdown,
                                 russianDescription, russianApp},
                    LanguageCase{"a language without a catalogue", "en_US.UTF-8", "de",
                                 russianCountdown, russianDescription, russianApp},
                    LanguageCase{"no user locale", "C.UTF-8", std::nullopt, russianCountdown,
                                 russianDescription, russianApp}),
    [](const auto& info) {
        std::string name;
        for (char ch : std::string(info.param.name)) {
            name += std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
        }
        return name;
    });

TEST(ProgramCatalogues, EachProgramReadsOnlyItsOwnAndAnUnknownKeyShowsAsWritten) {
    if (!localeExists("en_US.UTF-8")) {
        GTEST_SKIP() << "en_US.UTF-8 is not generated here (scripts/install-deps does it)";
    }
    ScopedUserLanguage english("en_US.UTF-8", std::nullopt);
    struct Case {
        std::string program;
        std::string key;
        std::optional<std::string> translation;
    };
    const Case cases[] = {
        {countdownProgram, "дней до события", "days until the event"},
        {appProgram, "обновить до версии %@", "update to version %@"},
        // The programs share one resources folder when installed, never one domain.
        {appProgram, "дней до события", std::nullopt},
        {countdownProgram, "обновить до версии %@", std::nullopt},
        {countdownProgram, "%lld", std::nullopt},
        {countdownProgram, "a key no catalogue has", std::nullopt},
    };
    for (const auto& c : cases) {
        const auto bundle = Bundle::forExecutable(c.program);
        auto table = Localization::forBundle(bundle);
        ASSERT_TRUE(table) << c.program << " has no resources folder beside it";
        EXPECT_EQ(table->domain(), bundle.object("CFBundleExecutable"));
        EXPECT_EQ(table->string(c.key), c.translation) << c.program << ": " << c.key;
    }
    platform::ui::ScopedResources resources(
        platform::widget::bundleResources(Bundle::forExecutable(appProgram)));
    EXPECT_EQ(platform::ui::LocalizedStringKey("no such caption %@", {"1.0"}).resolved(),
              "no such caption 1.0");
}

} // namespace
