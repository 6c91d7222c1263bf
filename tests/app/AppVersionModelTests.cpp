#include "app/AppVersionModel.h"
#include "platform/coding/JSONDecoder.h"

#include <gtest/gtest.h>
#include <optional>
#include <string>

namespace {

using platform::coding::DecodingError;

platform::foundation::Expected<AppVersionModel, DecodingError> decode(std::string_view body) {
    platform::coding::JSONDecoder decoder;
    decoder.keyDecodingStrategy = platform::coding::KeyDecodingStrategy::convertFromSnakeCase;
    return decoder.decode<AppVersionModel>(body);
}

TEST(AppVersionModel, StartsAtZero) {
    EXPECT_EQ(AppVersionModel().version, "0");
}

struct DecodeCase {
    const char* body;
    std::optional<std::string> version; // none: a decoding error
    std::optional<DecodingError::Kind> kind = std::nullopt;
};

void PrintTo(const DecodeCase& c, std::ostream* out) {
    *out << c.body;
}

class AppVersionModelDecode : public testing::TestWithParam<DecodeCase> {};

TEST_P(AppVersionModelDecode, TakesTheVersionTextAsSentOrFails) {
    const auto& c = GetParam();
    auto model = decode(c.body);
    if (c.version) {
        ASSERT_TRUE(model) << model.error().description();
        EXPECT_EQ(model->version, *c.version);
    } else {
        ASSERT_FALSE(model) << model->version;
        if (c.kind) {
            EXPECT_EQ(model.error().kind, *c.kind) << model.error().description();
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Bodies, AppVersionModelDecode,
    testing::Values(
        DecodeCase{R"({"version": "1.0"})", "1.0"}, DecodeCase{R"({"version": ""})", ""},
        DecodeCase{R"({"build": 7, "version": "3.1", "notes": {"a": [1]}})", "3.1"},
        DecodeCase{R"({"version": "\u05d2\u05e8\u05e1\u05d4"})", "\u05d2\u05e8\u05e1\u05d4"},
        DecodeCase{R"({"version": null})", std::nullopt, DecodingError::Kind::valueNotFound},
        DecodeCase{R"({"Version": "1.0"})", std::nullopt, DecodingError::Kind::keyNotFound},
        DecodeCase{R"({"_version_": "1.0"})", std::nullopt, DecodingError::Kind::keyNotFound},
        DecodeCase{R"({})", std::nullopt, DecodingError::Kind::keyNotFound},
        DecodeCase{R"(["1.0"])", std::nullopt, DecodingError::Kind::typeMismatch}));

struct DescriptionCase {
    std::string version;
    std::string line;
};

class AppVersionModelDescription : public testing::TestWithParam<DescriptionCase> {};

TEST_P(AppVersionModelDescription, IsOneLineWithTheTextEscaped) {
    EXPECT_EQ(AppVersionModel{GetParam().version}.description(), GetParam().line);
}

INSTANTIATE_TEST_SUITE_P(
    Versions, AppVersionModelDescription,
    testing::Values(DescriptionCase{"1.0", R"(AppVersionModel(version: "1.0"))"},
                    DescriptionCase{"1.0\n\"x\"\\", R"(AppVersionModel(version: "1.0\n\"x\"\\"))"},
                    DescriptionCase{"\x1b[31m", R"(AppVersionModel(version: "\u{1B}[31m"))"}));

} // namespace
