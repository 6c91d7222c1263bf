// The suite installed under a prefix that then moves: what is there, and that every program
// still finds its resources from where it now is, in the user's language.

#include "tests/packaging/InstalledFiles.h"
#include "tests/packaging/PackagingSupport.h"

#include <algorithm>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <locale.h>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace {

using namespace packaging_test;

const std::string appId = PACKAGING_APP_ID;
constexpr unsigned darkBackground = 0x232228; // the widgets' and the logo's

std::string readFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::string> concat(std::vector<std::string> first,
                                const std::vector<std::string>& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

// The keys of a desktop entry's [Desktop Entry] group.
std::map<std::string, std::string> desktopEntry(const fs::path& file) {
    std::map<std::string, std::string> keys;
    bool inGroup = false;
    for (const auto& line : linesOf(readFile(file))) {
        if (line.starts_with('[')) {
            inGroup = line == "[Desktop Entry]";
        } else if (auto equals = line.find('='); inGroup && equals != std::string::npos) {
            keys[line.substr(0, equals)] = line.substr(equals + 1);
        }
    }
    return keys;
}

bool localeExists(const char* name) {
    locale_t probe = ::newlocale(LC_MESSAGES_MASK, name, nullptr);
    if (probe) {
        ::freelocale(probe);
    }
    return probe != nullptr;
}

class Installed : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(suite_.installed()) << suite_.install().output << suite_.install().errors;
    }

    fs::path scratchFile(const std::string& name) const { return suite_.scratch() / name; }

    InstalledSuite suite_;
};

TEST_F(Installed, HoldsEveryFileOfTheSuiteOnceAndNothingElse) {
    std::set<std::string> expected;
    for (const auto& file : installedFiles(appId)) {
        expected.insert(file.path);
        const auto path = suite_.prefix() / file.path;
        if (file.program) {
            EXPECT_NE(fs::status(path).permissions() & fs::perms::others_exec, fs::perms::none)
                << file.path << " is not a program everybody can run";
        }
    }
    std::set<std::string> found;
    for (const auto& entry : fs::recursive_directory_iterator(suite_.prefix())) {
        if (!entry.is_directory()) {
            found.insert(fs::relative(entry.path(), suite_.prefix()).string());
        }
    }
    EXPECT_EQ(found, expected);

    // A second rule for one file shows as "Up-to-date" in a fresh prefix.
    const std::string installing = "-- Installing: ", again = "-- Up-to-date: ";
    for (const auto& line : linesOf(suite_.install().output)) {
        if (line.starts_with(installing)) {
            EXPECT_TRUE(line.substr(installing.size()).starts_with(suite_.firstPrefix().string()))
                << "outside the prefix: " << line;
        } else if (line.starts_with(again)) {
            const auto path = fs::relative(line.substr(again.size()), suite_.firstPrefix());
            EXPECT_TRUE(fs::is_directory(suite_.prefix() / path)) << "installed twice: " << line;
        }
    }
    EXPECT_FALSE(fs::exists(suite_.firstPrefix())) << "the prefix was not moved";
}

TEST_F(Installed, DesktopEntriesStartInstalledProgramsWithTheSuitesIconAndValidate) {
    struct Case {
        std::string file;
        std::string program;
        bool listed; // shown in menus; autostart entries are not
    };
    const Case cases[] = {
        {"share/applications/" + appId + ".desktop", "TrelvoResults", true},
        {"share/" + appId + "/autostart/" + appId + ".ResultsWidget.desktop",
         "TrelvoResultsWidgetExtension", false},
        {"share/" + appId + "/autostart/" + appId + ".CountdownWidget.desktop",
         "VantorelWidgetExtension", false},
    };
    const auto validator = findProgram("desktop-file-validate");
    for (const auto& c : cases) {
        auto keys = desktopEntry(suite_.prefix() / c.file);
        EXPECT_EQ(keys["Type"], "Application") << c.file;
        EXPECT_EQ(keys["Exec"], c.program) << c.file;
        EXPECT_TRUE(fs::exists(suite_.program(c.program))) << c.file;
        EXPECT_EQ(keys["Icon"], appId) << c.file;
        EXPECT_EQ(keys.contains("NoDisplay"), !c.listed) << c.file;
        if (validator) {
            auto checked =
                run({validator->string(), (suite_.prefix() / c.file).string()}, suite_.scratch());
            EXPECT_EQ(checked.status, 0) << c.file << "\n" << checked.output << checked.errors;
            EXPECT_EQ(checked.output + checked.errors, "") << c.file;
        }
    }
    EXPECT_TRUE(
        fs::exists(suite_.prefix() / "share/icons/hicolor/scalable/apps" / (appId + ".svg")));
    if (!validator) {
        GTEST_SKIP() << "desktop-file-validate is not installed (scripts/install-deps does it)";
    }
}

TEST_F(Installed, AppStreamMetadataNamesTheAppAndThisReleaseAndValidates) {
    const auto metainfo = suite_.prefix() / "share/metainfo" / (appId + ".metainfo.xml");
    const auto text = readFile(metainfo);
    for (const std::string& part :
         {"<id>" + appId + "</id>",
          "<launchable type=\"desktop-id\">" + appId + ".desktop</launchable>",
          std::string("<release version=\"") + PACKAGING_VERSION + "\""}) {
        EXPECT_NE(text.find(part), std::string::npos) << "no " << part;
    }
    const auto validator = findProgram("appstreamcli");
    if (!validator) {
        GTEST_SKIP() << "appstreamcli is not installed (scripts/install-deps does it)";
    }
    auto checked =
        run({validator->string(), "validate", "--no-net", "--explain", metainfo.string()},
            suite_.scratch());
    EXPECT_EQ(checked.status, 0) << checked.output << checked.errors;
    for (const auto& line : linesOf(checked.output)) {
        EXPECT_FALSE(line.starts_with("E:") || line.starts_with("W:")) << line;
    }
}

TEST_F(Installed, MovedProgramsDrawWithTheResourcesBesideThem) {
    InstalledDemoService service(suite_);
    ASSERT_TRUE(service.running()) << service.failure();
    const auto client = service.clientEnvironment();

    auto countdown =
        run(inLanguage("ru_RU.UTF-8",
                       {suite_.program("VantorelWidgetExtension").string(), "--once", "--family",
                        "medium", "--output", scratchFile("countdown.png").string()}),
            suite_.scratch());
    ASSERT_EQ(countdown.status, 0) << countdown.output << countdown.errors;
    auto countdownPicture = loadPNG(scratchFile("countdown.png"));
    ASSERT_TRUE(countdownPicture);
    EXPECT_EQ(width(countdownPicture.get()), 364);
    EXPECT_EQ(height(countdownPicture.get()), 170);
    EXPECT_GT(countPixels(countdownPicture.get(), darkBackground), 364 * 170 / 2);

    auto results =
        run(inLanguage("ru_RU.UTF-8",
                       concat(client, {suite_.program("TrelvoResultsWidgetExtension").string(),
                                       "--once", "--timeout", "20", "--output",
                                       scratchFile("results.png").string()})),
            suite_.scratch());
    ASSERT_EQ(results.status, 0) << results.output << results.errors;
    auto resultsPicture = loadPNG(scratchFile("results.png"));
    ASSERT_TRUE(resultsPicture);
    EXPECT_EQ(width(resultsPicture.get()), 170);
    EXPECT_EQ(height(resultsPicture.get()), 170);

    // The logo is the app's one image: its dark tile shows only when the app found the file.
    auto renderApp = [&](const std::string& name) {
        return run(inLanguage("ru_RU.UTF-8",
                              concat(client, {suite_.program("TrelvoResults").string(), "--render",
                                              scratchFile(name).string(), "--timeout", "20"})),
                   suite_.scratch());
    };
    auto app = renderApp("app.png");
    ASSERT_EQ(app.status, 0) << app.output << app.errors;
    auto appPicture = loadPNG(scratchFile("app.png"));
    ASSERT_TRUE(appPicture);
    EXPECT_GT(countPixels(appPicture.get(), darkBackground), 4000);

    fs::remove(suite_.resources() / "trelvo.svg");
    auto withoutLogo = renderApp("app-without-logo.png");
    ASSERT_EQ(withoutLogo.status, 0) << withoutLogo.output << withoutLogo.errors;
    auto withoutLogoPicture = loadPNG(scratchFile("app-without-logo.png"));
    ASSERT_TRUE(withoutLogoPicture);
    EXPECT_EQ(countPixels(withoutLogoPicture.get(), darkBackground), 0);
}

struct LanguageCase {
    const char* name;
    const char* lang;
    std::optional<std::string> language;
    const char* countdownDescription;
    bool english; // the countdown as the English one, or as the original
    // The app's texts: "en", "ru", or "keys" (as written, where no catalogue answers; its hint
    // key is not the Russian text shown on Linux).
    const char* appTexts;
};

TEST_F(Installed, TextsAndPicturesFollowTheUsersLanguage) {
    for (const char* needed : {"en_US.UTF-8", "ru_RU.UTF-8"}) {
        if (!localeExists(needed)) {
            GTEST_SKIP() << needed << " is not generated here (scripts/install-deps does it)";
        }
    }
    InstalledDemoService service(suite_);
    ASSERT_TRUE(service.running()) << service.failure();
    const char* russian = "Ведет отсчет до следующего крупного события";
    const LanguageCase cases[] = {
        {"English", "en_US.UTF-8", std::nullopt, "Counts down to the next big event", true, "en"},
        {"Russian", "ru_RU.UTF-8", std::nullopt, russian, false, "ru"},
        {"a language without a catalogue", "en_US.UTF-8", "de", russian, false, "keys"},
        {"no user locale", "C.UTF-8", std::nullopt, russian, false, "keys"},
    };
    std::map<bool, Surface> firstCountdowns;         // by english
    std::map<std::string, Surface> firstAppPictures; // by appTexts
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto described = run(
            inLanguage(c.lang, {suite_.program("VantorelWidgetExtension").string(), "--describe"},
                       c.language),
            suite_.scratch());
        ASSERT_EQ(described.status, 0) << described.output << described.errors;
        auto description = nlohmann::json::parse(described.output, nullptr, false);
        ASSERT_TRUE(description.is_object()) << described.output;
        EXPECT_EQ(description["description"], c.countdownDescription);
        EXPECT_EQ(description["displayName"], "Next big event countdown");

        const std::string tag = std::to_string(&c - cases);
        const auto countdownFile = scratchFile("countdown-" + tag + ".png");
        auto countdown =
            run(inLanguage(c.lang,
                           {suite_.program("VantorelWidgetExtension").string(), "--placeholder",
                            "--once", "--output", countdownFile.string()},
                           c.language),
                suite_.scratch());
        ASSERT_EQ(countdown.status, 0) << countdown.output << countdown.errors;
        const auto appFile = scratchFile("app-" + tag + ".png");
        auto app = run(inLanguage(c.lang,
                                  concat(service.clientEnvironment(),
                                         {suite_.program("TrelvoResults").string(), "--render",
                                          appFile.string(), "--timeout", "20"}),
                                  c.language),
                       suite_.scratch());
        ASSERT_EQ(app.status, 0) << app.output << app.errors;
        auto countdownPicture = loadPNG(countdownFile);
        auto appPicture = loadPNG(appFile);
        ASSERT_TRUE(countdownPicture && appPicture);
        if (auto first = firstCountdowns.find(c.english); first != firstCountdowns.end()) {
            EXPECT_TRUE(samePicture(first->second.get(), countdownPicture.get()));
        } else {
            firstCountdowns.emplace(c.english, std::move(countdownPicture));
        }
        if (auto first = firstAppPictures.find(c.appTexts); first != firstAppPictures.end()) {
            EXPECT_TRUE(samePicture(first->second.get(), appPicture.get()));
        } else {
            firstAppPictures.emplace(c.appTexts, std::move(appPicture));
        }
    }
    ASSERT_EQ(firstCountdowns.size(), 2u);
    ASSERT_EQ(firstAppPictures.size(), 3u);
    EXPECT_FALSE(samePicture(firstCountdowns[true].get(), firstCountdowns[false].get()))
        << "the countdown draws the same in English and Russian";
    EXPECT_FALSE(samePicture(firstAppPictures["en"].get(), firstAppPictures["ru"].get()))
        << "the app draws the same in English and Russian";
}

} // namespace
