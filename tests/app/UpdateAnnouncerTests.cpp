#include "app/UpdateAnnouncer.h"
#include "platform/dispatch/DispatchQueue.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <optional>
#include <vector>

namespace {

using platform::dispatch::DispatchQueue;
using testing::ElementsAre;
using testing::ElementsAreArray;
using testing::IsEmpty;

void publish(NetworkManager& manager, std::string version) {
    // The client stores answers from a main-queue block; so does this.
    DispatchQueue::main().async(
        [&manager, version] { manager.latestAppVersionAvailable = AppVersionModel{version}; });
    while (DispatchQueue::main().drain() > 0) {
    }
}

struct AnnounceCase {
    const char* name;
    std::vector<std::string> answers;
    std::vector<std::string> announced;
};

class UpdateAnnouncerTest : public testing::TestWithParam<AnnounceCase> {
protected:
    void SetUp() override { DispatchQueue::main().drain(); }
};

TEST_P(UpdateAnnouncerTest, AnnouncesTheFirstAnswerThatDiffersOnce) {
    std::vector<std::string> announced;
    UpdateAnnouncer announcer("1.0", [&](const std::string& v) { announced.push_back(v); });
    auto manager = std::make_shared<NetworkManager>();
    announcer.watch(manager);

    for (const auto& answer : GetParam().answers) {
        publish(*manager, answer);
    }

    EXPECT_THAT(announced, ElementsAreArray(GetParam().announced));
}

INSTANTIATE_TEST_SUITE_P(
    Answers, UpdateAnnouncerTest,
    testing::Values(AnnounceCase{"NoAnswer", {}, {}}, AnnounceCase{"SameVersion", {"1.0"}, {}},
                    AnnounceCase{"Newer", {"2.0"}, {"2.0"}},
                    AnnounceCase{"SpelledDifferently", {"1.0.0"}, {"1.0.0"}},
                    AnnounceCase{"OncePerRun", {"1.0", "2.0", "1.0", "3.0"}, {"2.0"}},
                    AnnounceCase{"ServedZero", {"0"}, {"0"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(UpdateAnnouncer, OneAnnouncementAcrossWindows) {
    DispatchQueue::main().drain();
    std::vector<std::string> announced;
    UpdateAnnouncer announcer("1.0", [&](const std::string& v) { announced.push_back(v); });
    auto first = std::make_shared<NetworkManager>();
    auto second = std::make_shared<NetworkManager>();
    announcer.watch(first);
    announcer.watch(second);

    publish(*second, "2.0");
    publish(*first, "2.0");

    EXPECT_THAT(announced, ElementsAre("2.0"));
}

TEST(UpdateAnnouncer, AnswersAfterTheAnnouncerIsGoneAreIgnored) {
    DispatchQueue::main().drain();
    std::vector<std::string> announced;
    auto manager = std::make_shared<NetworkManager>();
    {
        UpdateAnnouncer announcer("1.0", [&](const std::string& v) { announced.push_back(v); });
        announcer.watch(manager);
    }

    publish(*manager, "2.0");

    EXPECT_THAT(announced, IsEmpty());
}

} // namespace
