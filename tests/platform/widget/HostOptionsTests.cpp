#include "platform/ui/Resources.h"
#include "platform/widget/HostOptions.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <ostream>

namespace {

using namespace platform::widget;

struct GoodCase {
    std::vector<std::string> args;
    HostOptions expected;
};

void PrintTo(const GoodCase& c, std::ostream* out) {
    for (const auto& arg : c.args) {
        *out << arg << ' ';
    }
}

HostOptions with(auto&& change) {
    HostOptions options;
    change(options);
    return options;
}

class GoodCommandLines : public testing::TestWithParam<GoodCase> {};

TEST_P(GoodCommandLines, Parse) {
    auto parsed = parseHostOptions(GetParam().args);
    ASSERT_TRUE(parsed) << parsed.error().message;
    const auto& want = GetParam().expected;
    EXPECT_EQ(parsed->action, want.action);
    EXPECT_EQ(parsed->output, want.output);
    EXPECT_EQ(parsed->once, want.once);
    EXPECT_EQ(parsed->source, want.source);
    EXPECT_EQ(parsed->family, want.family);
    EXPECT_EQ(parsed->scale, want.scale);
    EXPECT_EQ(parsed->timeoutSeconds, want.timeoutSeconds);
}

INSTANTIATE_TEST_SUITE_P(
    Options, GoodCommandLines,
    testing::Values(GoodCase{{}, HostOptions{}},
                    GoodCase{{"--help"}, with([](auto& o) { o.action = HostAction::help; })},
                    GoodCase{{"-h"}, with([](auto& o) { o.action = HostAction::help; })},
                    GoodCase{{"--version"}, with([](auto& o) { o.action = HostAction::version; })},
                    GoodCase{{"--describe"},
                             with([](auto& o) { o.action = HostAction::describe; })},
                    GoodCase{{"--output", "out/w.png", "--once"}, with([](auto& o) {
                                 o.output = "out/w.png";
                                 o.once = true;
                             })},
                    GoodCase{{"--output=w.SVG", "--scale=2"}, with([](auto& o) {
                                 o.output = "w.SVG";
                                 o.scale = 2;
                             })},
                    GoodCase{{"--family", "medium", "--placeholder"}, with([](auto& o) {
                                 o.family = WidgetFamily::systemMedium;
                                 o.source = ContentSource::placeholder;
                             })},
                    GoodCase{{"--snapshot", "--timeout", "2.5"}, with([](auto& o) {
                                 o.source = ContentSource::snapshot;
                                 o.timeoutSeconds = 2.5;
                             })},
                    GoodCase{{"--timeout=0"}, with([](auto& o) { o.timeoutSeconds = 0; })}));

struct BadCase {
    std::vector<std::string> args;
    std::string message;
};

void PrintTo(const BadCase& c, std::ostream* out) {
    *out << c.message;
}

class BadCommandLines : public testing::TestWithParam<BadCase> {};

TEST_P(BadCommandLines, AreRefusedWithAMessageNamingTheProblem) {
    auto parsed = parseHostOptions(GetParam().args);
    ASSERT_FALSE(parsed);
    EXPECT_EQ(parsed.error().message, GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(
    Options, BadCommandLines,
    testing::Values(BadCase{{"--frobnicate"}, "unknown option --frobnicate"},
                    BadCase{{"picture.png"}, "unexpected argument picture.png"},
                    BadCase{{"--output"}, "--output needs a value"},
                    BadCase{{"--output", ""}, "--output needs a file name"},
                    BadCase{{"--output", "w.jpg"},
                            "--output w.jpg: the file name must end in .png, .svg or .pdf"},
                    BadCase{{"--output", "dir/.png"},
                            "--output dir/.png: the file name must end in .png, .svg or .pdf"},
                    BadCase{{"--family", "huge"}, "--family huge: expected small, medium or large"},
                    BadCase{{"--scale", "4"}, "--scale 4: expected 1, 2 or 3"},
                    BadCase{{"--scale", "1.5"}, "--scale 1.5: expected 1, 2 or 3"},
                    BadCase{{"--scale", "x"}, "--scale x: expected 1, 2 or 3"},
                    BadCase{{"--timeout", "-1"}, "--timeout -1: expected seconds, from 0 to 86400"},
                    BadCase{{"--timeout", "nan"},
                            "--timeout nan: expected seconds, from 0 to 86400"},
                    BadCase{{"--once=yes"}, "--once takes no value"},
                    BadCase{{"--snapshot", "--placeholder"},
                            "--snapshot and --placeholder exclude each other"}));

TEST(OutputFormat, FollowsTheExtensionInAnyCase) {
    EXPECT_EQ(outputFormat("a/b.png"), OutputFormat::png);
    EXPECT_EQ(outputFormat("b.PNG"), OutputFormat::png);
    EXPECT_EQ(outputFormat("b.svg"), OutputFormat::svg);
    EXPECT_EQ(outputFormat("b.Pdf"), OutputFormat::pdf);
    EXPECT_EQ(outputFormat("b.png.tmp"), std::nullopt);
    EXPECT_EQ(outputFormat("png"), std::nullopt);
}

WidgetDescriptor countdownLike() {
    return {"CountWidget",
            "Счётчик",
            "Ведёт отсчёт",
            {WidgetFamily::systemSmall, WidgetFamily::systemMedium}};
}

TEST(ChooseFamily, DefaultsToTheWidgetsFirstFamily) {
    auto family = chooseFamily(HostOptions{}, countdownLike());
    ASSERT_TRUE(family);
    EXPECT_EQ(*family, WidgetFamily::systemSmall);

    HostOptions medium;
    medium.family = WidgetFamily::systemMedium;
    EXPECT_EQ(*chooseFamily(medium, countdownLike()), WidgetFamily::systemMedium);
}

TEST(ChooseFamily, RefusesAFamilyTheWidgetDoesNotOfferAndNamesTheOnesItDoes) {
    HostOptions large;
    large.family = WidgetFamily::systemLarge;
    auto family = chooseFamily(large, countdownLike());
    ASSERT_FALSE(family);
    EXPECT_EQ(family.error().message,
              "CountWidget does not come in the large family; it offers: small, medium");
}

TEST(Describe, IsJSONWithKindNamesAndFamilies) {
    auto json = nlohmann::json::parse(describeJSON(countdownLike()));
    EXPECT_EQ(json["kind"], "CountWidget");
    EXPECT_EQ(json["displayName"], "Счётчик");
    EXPECT_EQ(json["description"], "Ведёт отсчёт");
    EXPECT_EQ(json["families"], (nlohmann::json{"systemSmall", "systemMedium"}));
}

TEST(Describe, ShowsTheTranslationOfTheKeysWhenTheBundleHasOne) {
    platform::ui::ScopedResources strings({[](std::string_view key) -> std::optional<std::string> {
        if (key == "Счётчик") {
            return "Counter";
        }
        return std::nullopt;
    }});
    auto json = nlohmann::json::parse(describeJSON(countdownLike()));
    EXPECT_EQ(json["displayName"], "Counter");
    EXPECT_EQ(json["description"], "Ведёт отсчёт");
}

TEST(Help, NamesEveryOptionAndTheHeadlessWay) {
    auto text = helpText("count-widget");
    for (const char* option : {"--output", "--once", "--timeout", "--snapshot", "--placeholder",
                               "--family", "--scale", "--describe", "--help", "--version"}) {
        EXPECT_NE(text.find(option), std::string::npos) << option;
    }
    EXPECT_NE(text.find("count-widget --output widget.png"), std::string::npos);
}

} // namespace
