#include "platform/foundation/LinePrinter.h"
#include "platform/net/ScopedCompletionCounter.h"
#include "results_widget/Provider.h"
#include "tests/support/servers/DemoServiceFixture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <mutex>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

using namespace results_widget;
using platform::foundation::ScopedLineCapture;
using platform::net::ScopedCompletionCounter;
using platform::widget::Timeline;
using platform::widget::TimelineProviderContext;
using testing::ElementsAre;
using trelvo::test::ScopedEnv;

struct Answers {
    std::mutex lock;
    std::vector<Timeline<ResultsEntry>> timelines;
    std::vector<std::thread::id> threads;
};

// Asks for timelines and waits until every fetch behind them is over.
void requestTimelines(Answers& answers, int requests = 1) {
    ScopedCompletionCounter completions;
    Provider provider;
    for (int i = 0; i < requests; ++i) {
        provider.getTimeline(TimelineProviderContext{}, [&](Timeline<ResultsEntry> timeline) {
            std::lock_guard guard(answers.lock);
            answers.timelines.push_back(std::move(timeline));
            answers.threads.push_back(std::this_thread::get_id());
        });
    }
    ASSERT_TRUE(completions.waitFor(requests)) << "a fetch never ended";
}

class ProviderServiceTest : public trelvo::test::DemoServiceFixture {
protected:
    ScopedLineCapture output_;
    Answers answers_;
};

TEST_F(ProviderServiceTest, AnswersWithTheServiceFiguresFromTheNetworkQueue) {
    service().setStatJSON(
        R"({"year_result": 1500, "year_plan": 3000, "month_result": 100, "month_plan": 250})");

    requestTimelines(answers_);

    ASSERT_EQ(answers_.timelines.size(), 1u);
    ASSERT_EQ(answers_.timelines[0].entries.size(), 1u);
    const auto& entry = answers_.timelines[0].entries[0];
    EXPECT_EQ(entry.yearResults, 1500);
    EXPECT_EQ(entry.monthResults, 100);
    EXPECT_EQ(entry.yearCompletion, 0.5);
    EXPECT_EQ(entry.monthCompletion, 0.4);
    EXPECT_EQ(answers_.timelines[0].policy.date.timeIntervalSince(entry.date), 900.0);
    EXPECT_NE(answers_.threads[0], std::this_thread::get_id());
    EXPECT_THAT(output_.lines(), ElementsAre("0.5"));
}

TEST_F(ProviderServiceTest, ZeroPlansStillDeliverATimeline) {
    service().setStatJSON(
        R"({"year_result": 0, "year_plan": 0, "month_result": 7, "month_plan": 0})");

    requestTimelines(answers_);

    ASSERT_EQ(answers_.timelines.size(), 1u);
    EXPECT_THAT(output_.lines(), ElementsAre("nan"));
}

TEST_F(ProviderServiceTest, OverlappingRequestsAnswerIndependently) {
    requestTimelines(answers_, 2);

    EXPECT_EQ(answers_.timelines.size(), 2u);
    EXPECT_EQ(service().requests().size(), 2u);
}

TEST_F(ProviderServiceTest, FailedFetchLeavesTheRequestUnansweredWithOnlyTheRepositorysLine) {
    service().respond("/api/v1/stat", 401, "<html>Unauthorized</html>", "text/html");

    requestTimelines(answers_);

    EXPECT_TRUE(answers_.timelines.empty());
    ASSERT_EQ(output_.lines().size(), 1u);
    EXPECT_THAT(output_.lines()[0], testing::Not(testing::StartsWith("Error: ")));
}

// A loopback port that refuses connections: bound once, never listened on.
int refusingPort() {
    int socket = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(socket, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::getsockname(socket, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(socket);
    return ntohs(address.sin_port);
}

TEST(ProviderNetworkDownTest, OnlyTheRepositorysErrorLine) {
    ScopedEnv nowhere("TRELVO_SERVICE_URL", "https://127.0.0.1:" + std::to_string(refusingPort()));
    ScopedLineCapture output;
    Answers answers;

    requestTimelines(answers);

    EXPECT_TRUE(answers.timelines.empty());
    ASSERT_EQ(output.lines().size(), 1u);
    EXPECT_THAT(output.lines()[0],
                testing::StartsWith("Error: Optional(Error Domain=NSURLErrorDomain Code=-1004 "));
}

} // namespace
