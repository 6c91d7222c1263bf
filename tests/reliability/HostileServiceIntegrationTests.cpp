// Both clients of the service against every hostile peer in turn, in one process as a widget
// meets them over months: each fetch ends in the one line the client writes for it, with no
// callback, credentials go to the verified origin only, and no thread or memory piles up.

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
using platform::dispatch::DispatchQueue;
using testing::HasSubstr;
using testing::Not;
using testing::StartsWith;
using trelvo::test::HostileScenario;
using trelvo::test::ScopedEnv;

TEST(HostileService, EveryPeerEndsInItsLineAndLeavesNothingBehind) {
    // How a fetch ends, as the user sees it: the transport's error line with its code, the
    // decoder's line, or the figures handed over.
    constexpr int undecodable = 0, answered = 1;
    struct Case {
        HostileScenario scenario;
        int results, version;
        bool stalls = false; // ends only by a time-out, so it gets short ones
    };
    // Redirects go where the server says; the target serves the results body on every path.
    // The bomb is delivered as sent, never inflated: the compressed bytes are not JSON.
    const Case cases[] = {
        {HostileScenario::neverAnswer, -1001, -1001, true},
        {HostileScenario::oneBytePerSecond, -1001, -1001, true},
        {HostileScenario::hugeBody, -1103, -1103},
        {HostileScenario::dropMidBody, -1005, -1005},
        {HostileScenario::contentLengthNeverSent, -1001, -1001, true},
        {HostileScenario::redirectToOtherOrigin, answered, undecodable},
        {HostileScenario::redirectToPlainHTTP, -1022, -1022},
        {HostileScenario::expiredCertificate, -1202, -1202},
        {HostileScenario::selfSignedCertificate, -1202, -1202},
        {HostileScenario::wrongHostCertificate, -1202, -1202},
        {HostileScenario::tenThousandHeaders, -1011, -1011},
        {HostileScenario::gzipBomb, undecodable, undecodable},
    };
    DispatchQueue::main().drain();
    const auto threadsBefore = reliability::threadCount();
    for (bool results : {true, false}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(results ? "results" : "version") + " against " +
                         std::string(toString(c.scenario)));
            const int ending = results ? c.results : c.version;
            std::vector<std::string> lines;
            int callbacks = 0;
            std::size_t requests = 0;
            std::vector<trelvo::demo::RecordedRequest> redirected;
            { // the server and the client are gone before threads are counted
                trelvo::test::HostileServer server(c.scenario);
                ScopedEnv trust("SSL_CERT_FILE", server.caFile());
                ScopedEnv origin("TRELVO_SERVICE_URL", server.baseURL());
                std::optional<platform::net::ScopedDefaultTimeouts> impatient;
                if (c.stalls) {
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

            EXPECT_EQ(callbacks, ending == answered ? 1 : 0);
            if (ending != answered) {
                ASSERT_EQ(lines.size(), 1u) << testing::PrintToString(lines);
                const std::string error = "Error: Optional(Error Domain=NSURLErrorDomain Code=";
                if (ending == undecodable) {
                    EXPECT_THAT(lines[0], Not(StartsWith("Error: ")));
                } else {
                    EXPECT_THAT(lines[0], StartsWith(error + std::to_string(ending) + " "));
                    EXPECT_THAT(lines[0], testing::EndsWith("})"));
                }
            }
            for (const auto& line : lines) {
                EXPECT_THAT(line, Not(HasSubstr("quillfen")));
                EXPECT_THAT(line, Not(HasSubstr("ZGVtbzpx")));
            }
            // Credentials reach the service's origin over verified TLS, and nothing else.
            if (ending == -1202) {
                EXPECT_EQ(requests, 0u) << "a request reached an untrusted peer";
            }
            EXPECT_EQ(redirected.size(), c.scenario == HostileScenario::redirectToOtherOrigin);
            for (const auto& request : redirected) {
                EXPECT_FALSE(request.header("Authorization")) << "credentials followed";
            }
            EXPECT_TRUE(reliability::threadsBackTo(threadsBefore))
                << reliability::threadCount() << " threads, " << threadsBefore << " before";
        }
    }
    if (reliability::memoryIsMeasurable) {
        EXPECT_LT(reliability::peakResidentKiB(), reliability::memoryBoundKiB);
    }
}

} // namespace
