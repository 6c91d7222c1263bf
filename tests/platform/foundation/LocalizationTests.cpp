#include "platform/foundation/Localization.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <libintl.h>

using platform::foundation::Localization;

namespace {

// gettext picks the catalogue by LANGUAGE first, whatever locales the machine has generated.
class ScopedLanguage {
public:
    explicit ScopedLanguage(const char* language) {
        setenv("LANGUAGE", language, 1);
        textdomain(textdomain(nullptr)); // gettext caches lookups until its catalogue count moves
    }
    ~ScopedLanguage() { unsetenv("LANGUAGE"); }
};

struct Case {
    const char* language;
    const char* key;
    std::optional<std::string> shown;
};

} // namespace

TEST(Localization, LooksKeysUpInTheUsersCatalogueAndAnswersNothingWithoutOne) {
    const Case cases[] = {
        {"en", "дней до события", "days until the event"},
        {"ru", "days until the event", "дней до события"},
        {"en", "a key no catalogue has", std::nullopt},
        {"de", "дней до события", std::nullopt},
        {"en", "", std::nullopt},
    };
    // setlocale(LC_MESSAGES) must not be "C" for LANGUAGE to count; C.UTF-8 is always there.
    setenv("LC_ALL", "C.UTF-8", 1);
    Localization table("trelvo-test", TRELVO_TEST_LOCALE_DIR);
    for (const auto& c : cases) {
        ScopedLanguage language(c.language);
        EXPECT_EQ(table.string(c.key), c.shown) << c.language << " " << c.key;
    }
}
