// Both clients of the service against every hostile peer in turn, in one process as a widget
// meets them over months: each fetch ends in one line or one answer, credentials go to the
// verified origin only, and no thread or memory piles up.

#include "app/NetworkManager.h"
#include "core/Repository/ResultsRepository.h"
#include "platform/foundation/LinePrinter.h"
#include "platform/net/ScopedCompletionCounter.h"
#include "platform/net/ScopedDefaultTimeouts.h"
#include "tests/reliability/InProcessHost.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/servers/HostileServer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <optional>

namespace {

using namespace std::chrono_literals;
using namespace testing;
using platform::dispatch::DispatchQueue;
using namespace trelvo::test;

// The error each peer ends in is the transport's (its tests hold the table) and the line its
// client writes for it the repository's; here, what a widget that meets them all must keep.
TEST(HostileService, EveryPeerEndsInOneLineOrAnswerAndLeavesNothingBehind) {
    using enum HostileScenario;
    DispatchQueue::main().drain();
    const auto threadsBefore = reliability::threadCount();
    for (bool results : {true, false}) {
        for (auto scenario :
             {neverAnswer, oneBytePerSecond, hugeBody, dropMidBody, contentLengthNeverSent,
              redirectToOtherOrigin, redirectToPlainHTTP, expiredCertificate, selfSignedCertificate,
              wrongHostCertificate, tenThousandHeaders, gzipBomb}) {
            SCOPED_TRACE(std::string(results ? "results" : "version") + " against " +
                         std::string(toString(scenario)));
            std::vector<std::string> lines;
            std::size_t callbacks = 0, requests = 0;
            std::vector<trelvo::demo::RecordedRequest> redirected;
            { // the server and the client are gone before threads are counted
                HostileServer server(scenario);
                ScopedEnv trust("SSL_CERT_FILE", server.caFile());
                ScopedEnv origin("TRELVO_SERVICE_URL", server.baseURL());
                // These end only by a time-out, so they get short ones.
                std::optional<platform::net::ScopedDefaultTimeouts> impatient;
                if (scenario == neverAnswer || scenario == oneBytePerSecond ||
                    scenario == contentLengthNeverSent) {
                    impatient.emplace(0.3, 5);
                }
                platform::foundation::ScopedLineCapture output;
                auto manager = std::make_shared<NetworkManager>();
                auto subscription = manager->objectWillChange.sink([&] { ++callbacks; });
                platform::net::ScopedCompletionCounter completions;
                if (results) {
                    ResultsRepository::fetchResutls(
                        [&](ResultsModel) { DispatchQueue::main().async([&] { ++callbacks; }); });
                } else {
                    manager->fetchLatestAvailableAppVersion();
                }
                ASSERT_TRUE(completions.waitFor(1, 15s)) << "the fetch never ended";
                DispatchQueue::main().drain();
                lines = output.lines();
                requests = server.requests().size();
                redirected = server.redirectTargetRequests();
            }

            EXPECT_EQ(callbacks + lines.size(), 1u) << PrintToString(lines);
            EXPECT_THAT(PrintToString(lines),
                        Not(AnyOf(HasSubstr("quillfen"), HasSubstr("ZGVtbzpx"))));
            // Credentials reach the service's origin over verified TLS, and nothing else.
            EXPECT_TRUE(requests == 0 ||
                        (scenario != expiredCertificate && scenario != selfSignedCertificate &&
                         scenario != wrongHostCertificate))
                << "a request reached an untrusted peer";
            EXPECT_EQ(redirected.size(), scenario == redirectToOtherOrigin);
            for (const auto& request : redirected) {
                EXPECT_FALSE(request.header("Authorization")) << "credentials followed";
            }
            EXPECT_TRUE(reliability::threadsBackTo(threadsBefore))
                << reliability::threadCount() << " threads, " << threadsBefore << " before";
        }
    }
    reliability::expectModestPeakMemory();
}

} // namespace
