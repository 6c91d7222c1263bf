#include "platform/app/AppOptions.h"

#include <gtest/gtest.h>
#include <vector>

using platform::app::AppOptions;
using platform::app::parseAppOptions;

namespace {

struct Case {
    const char* name;
    std::vector<std::string_view> arguments;
    // Expected outcome: an error containing `error`, or these options.
    const char* error;
    AppOptions::Action action;
    std::optional<std::filesystem::path> render;
    double timeout;
    double scale;
};

void PrintTo(const Case& c, std::ostream* out) {
    *out << c.name;
}

class AppOptionsParsing : public testing::TestWithParam<Case> {};

} // namespace

TEST_P(AppOptionsParsing, ReadsTheCommandLine) {
    const auto& c = GetParam();
    auto options = parseAppOptions(c.arguments);
    if (c.error) {
        ASSERT_FALSE(options);
        EXPECT_NE(options.error().find(c.error), std::string::npos) << options.error();
        return;
    }
    ASSERT_TRUE(options) << options.error();
    EXPECT_EQ(options->action, c.action);
    EXPECT_EQ(options->render, c.render);
    EXPECT_EQ(options->timeout, c.timeout);
    EXPECT_EQ(options->scale, c.scale);
}

using Action = AppOptions::Action;

INSTANTIATE_TEST_SUITE_P(
    Arguments, AppOptionsParsing,
    testing::Values(
        Case{"nothing", {}, nullptr, Action::run, std::nullopt, 5, 1},
        Case{"help", {"--help"}, nullptr, Action::help, std::nullopt, 5, 1},
        Case{"short help", {"-h"}, nullptr, Action::help, std::nullopt, 5, 1},
        Case{"version", {"--version"}, nullptr, Action::version, std::nullopt, 5, 1},
        Case{"render", {"--render", "out/app.png"}, nullptr, Action::run, "out/app.png", 5, 1},
        Case{"render inline", {"--render=a b.svg"}, nullptr, Action::run, "a b.svg", 5, 1},
        Case{"render all",
             {"--render", "x.png", "--scale", "2", "--timeout=0.5"},
             nullptr,
             Action::run,
             "x.png",
             0.5,
             2},
        Case{"timeout zero", {"--timeout", "0"}, nullptr, Action::run, std::nullopt, 0, 1},
        Case{"render without path", {"--render"}, "--render needs", Action::run, {}, 0, 0},
        Case{"render empty path", {"--render="}, "--render needs", Action::run, {}, 0, 0},
        Case{"negative timeout", {"--timeout", "-1"}, "--timeout", Action::run, {}, 0, 0},
        Case{"timeout not a number", {"--timeout", "5s"}, "--timeout", Action::run, {}, 0, 0},
        Case{"timeout infinite", {"--timeout", "inf"}, "--timeout", Action::run, {}, 0, 0},
        Case{"timeout missing", {"--timeout"}, "--timeout", Action::run, {}, 0, 0},
        Case{"scale zero", {"--scale", "0"}, "--scale", Action::run, {}, 0, 0},
        Case{"scale huge", {"--scale", "100"}, "--scale", Action::run, {}, 0, 0},
        Case{"unknown", {"--frobnicate"}, "unknown argument: --frobnicate", Action::run, {}, 0, 0},
        Case{"positional", {"file.png"}, "unknown argument: file.png", Action::run, {}, 0, 0},
        Case{"help with a value", {"--help=yes"}, "unknown argument", Action::run, {}, 0, 0}),
    [](const auto& info) {
        std::string name = info.param.name;
        for (auto& c : name) {
            c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
        }
        return name;
    });
