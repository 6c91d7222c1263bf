// Both clients of the service against every hostile peer, each ending in the one line the
// client writes for it, with no callback, no thread left behind and memory bounded.

#include "app/NetworkManager.h"
#include "core/Repository/ResultsRepository.h"
#include "platform/dispatch/DispatchQueue.h"
#include "platform/foundation/LinePrinter.h"
#include "platform/net/NetworkEngine.h"
#include "platform/net/ScopedCompletionCounter.h"
#include "platform/net/ScopedDefaultTimeouts.h"
#include "tests/reliability/ProcessProbe.h"
#include "tests/support/servers/HostileServer.h"
#include "tests/support/ScopedEnv.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <iostream>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace {

using namespace std::chrono_literals;
using platform::dispatch::DispatchQueue;
using platform::foundation::ScopedLineCapture;
using platform::net::ScopedCompletionCounter;
using platform::net::ScopedDefaultTimeouts;
using testing::StartsWith;
using trelvo::test::HostileScenario;
using trelvo::test::HostileServer;
using trelvo::test::ScopedEnv;

constexpr std::size_t memoryBoundKiB = 100 * 1024;

enum class Client { results, version };

const char* nameOf(Client client) {
    return client == Client::results ? "ResultsRepository" : "NetworkManager";
}

void PrintTo(Client client, std::ostream* out) {
    *out << nameOf(client);
}

// How a fetch ends, as the user sees it: the transport's error line, the decoder's line, or
// the figures handed over.
struct Ending {
    enum Kind { transportError, undecodable, answered } kind;
    int code = 0; // transportError only
};

constexpr Ending transport(int code) {
    return {Ending::transportError, code};
}
constexpr Ending undecodable{Ending::undecodable};
constexpr Ending answered{Ending::answered};

struct ScenarioCase {
    HostileScenario scenario;
    Ending results;
    Ending version;
    bool stalls = false; // ends only by a time-out, so it gets the short ones
};

void PrintTo(const ScenarioCase& c, std::ostream* out) {
    *out << toString(c.scenario);
}

// Redirects go where the server says; the target serves the results body on every path.
const std::vector<ScenarioCase> scenarios{
    {HostileScenario::neverAnswer, transport(-1001), transport(-1001), true},
    {HostileScenario::oneBytePerSecond, transport(-1001), transport(-1001), true},
    {HostileScenario::hugeBody, transport(-1103), transport(-1103)},
    {HostileScenario::dropMidBody, transport(-1005), transport(-1005)},
    {HostileScenario::contentLengthNeverSent, transport(-1001), transport(-1001), true},
    {HostileScenario::redirectToOtherOrigin, answered, undecodable},
    {HostileScenario::redirectToPlainHTTP, transport(-1022), transport(-1022)},
    {HostileScenario::expiredCertificate, transport(-1202), transport(-1202)},
    {HostileScenario::selfSignedCertificate, transport(-1202), transport(-1202)},
    {HostileScenario::wrongHostCertificate, transport(-1202), transport(-1202)},
    {HostileScenario::tenThousandHeaders, transport(-1011), transport(-1011)},
    // Delivered as sent, never inflated: the compressed bytes are not JSON.
    {HostileScenario::gzipBomb, undecodable, undecodable},
};

bool isCertificateScenario(HostileScenario scenario) {
    return scenario == HostileScenario::expiredCertificate ||
           scenario == HostileScenario::selfSignedCertificate ||
           scenario == HostileScenario::wrongHostCertificate;
}

struct Observed {
    std::vector<std::string> lines;
    int callbacks = 0;
    bool ended = false;
    std::vector<trelvo::demo::RecordedRequest> requests;
    std::vector<trelvo::demo::RecordedRequest> redirected;
};

// One fetch of the client against a fresh hostile server, run until its handler has returned
// and the main queue has run what it queued; the server is gone when this returns.
Observed fetchFrom(Client client, const ScenarioCase& c) {
    Observed observed;
    HostileServer server(c.scenario);
    ScopedEnv trust("SSL_CERT_FILE", server.caFile());
    ScopedEnv origin("TRELVO_SERVICE_URL", server.baseURL());
    std::optional<ScopedDefaultTimeouts> impatient;
    if (c.stalls) {
        impatient.emplace(0.3, 5);
    }
    ScopedLineCapture output;
    std::mutex lock;
    auto manager = std::make_shared<NetworkManager>();
    auto subscription = manager->objectWillChange.sink([&] { ++observed.callbacks; });
    {
        ScopedCompletionCounter completions;
        if (client == Client::results) {
            ResultsRepository::fetchResutls([&](ResultsModel) {
                std::lock_guard guard(lock);
                ++observed.callbacks;
            });
        } else {
            manager->fetchLatestAvailableAppVersion();
        }
        observed.ended = completions.waitFor(1, 15s);
    }
    DispatchQueue::main().drain();
    observed.lines = output.lines();
    observed.requests = server.requests();
    observed.redirected = server.redirectTargetRequests();
    return observed;
}

void expectEnding(const Observed& observed, const Ending& ending) {
    ASSERT_TRUE(observed.ended) << "the fetch never ended";
    switch (ending.kind) {
    case Ending::transportError:
        ASSERT_EQ(observed.lines.size(), 1u) << testing::PrintToString(observed.lines);
        EXPECT_THAT(observed.lines[0],
                    StartsWith("Error: Optional(Error Domain=NSURLErrorDomain Code=" +
                               std::to_string(ending.code) + " "));
        EXPECT_THAT(observed.lines[0], testing::EndsWith("})"));
        EXPECT_EQ(observed.callbacks, 0);
        break;
    case Ending::undecodable:
        ASSERT_EQ(observed.lines.size(), 1u) << testing::PrintToString(observed.lines);
        EXPECT_THAT(observed.lines[0], testing::Not(StartsWith("Error: ")));
        EXPECT_EQ(observed.callbacks, 0);
        break;
    case Ending::answered:
        EXPECT_EQ(observed.callbacks, 1);
        break;
    }
    for (const auto& line : observed.lines) {
        EXPECT_EQ(line.find("quillfen"), std::string::npos) << line;
        EXPECT_EQ(line.find("ZGVtbzpx"), std::string::npos) << line;
    }
}

// Credentials reach the service's origin over verified TLS, and nothing else.
void expectCredentialsKept(const Observed& observed, HostileScenario scenario) {
    if (isCertificateScenario(scenario)) {
        EXPECT_TRUE(observed.requests.empty()) << "a request reached an untrusted peer";
    }
    for (const auto& request : observed.redirected) {
        EXPECT_FALSE(request.header("Authorization")) << "credentials followed the redirect";
    }
    if (scenario == HostileScenario::redirectToPlainHTTP) {
        EXPECT_TRUE(observed.redirected.empty()) << "the redirect to plain http was followed";
    }
    if (scenario == HostileScenario::redirectToOtherOrigin) {
        EXPECT_EQ(observed.redirected.size(), 1u);
    }
}

void checkScenario(Client client, const ScenarioCase& c) {
    SCOPED_TRACE(std::string(nameOf(client)) + " against " + std::string(toString(c.scenario)));
    auto observed = fetchFrom(client, c);
    expectEnding(observed, client == Client::results ? c.results : c.version);
    expectCredentialsKept(observed, c.scenario);
}

// The network thread leaves once no task is left, and each session's queue once its last
// handler has run: then the process is back to its own threads.
bool networkThreadsGone(std::size_t before) {
    auto deadline = std::chrono::steady_clock::now() + 5s;
    while (platform::net::NetworkEngine::shared().isRunning() &&
           std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(5ms);
    }
    return reliability::waitForThreadCount(before, 5s);
}

class HostileService : public testing::TestWithParam<std::tuple<Client, ScenarioCase>> {};

TEST_P(HostileService, EndsInItsLineWithoutACallbackOrALeftoverThread) {
    auto [client, c] = GetParam();
    DispatchQueue::main().drain();
    auto before = reliability::threadCount();

    checkScenario(client, c);

    EXPECT_TRUE(networkThreadsGone(before))
        << reliability::threadCount() << " threads, " << before << " before";
}

INSTANTIATE_TEST_SUITE_P(Peers, HostileService,
                         testing::Combine(testing::Values(Client::results, Client::version),
                                          testing::ValuesIn(scenarios)),
                         [](const auto& info) {
                             return std::string(nameOf(std::get<0>(info.param))) + "_" +
                                    std::string(toString(std::get<1>(info.param).scenario));
                         });

// Every peer after the other in one process, as a widget meets them over months: what one
// leaves behind, the next would add to.
TEST(HostileServiceSuite, EveryPeerInTurnKeepsMemoryBoundedAndThreadsAtTheirCount) {
    DispatchQueue::main().drain();
    auto before = reliability::threadCount();
    auto peakBefore = reliability::peakResidentKiB();

    for (int round = 0; round < 2; ++round) {
        for (auto client : {Client::results, Client::version}) {
            for (const auto& c : scenarios) {
                checkScenario(client, c);
            }
        }
    }

    auto peak = reliability::peakResidentKiB();
    if (reliability::memoryIsMeasurable) {
        EXPECT_LT(peak, memoryBoundKiB);
    }
    EXPECT_TRUE(networkThreadsGone(before))
        << reliability::threadCount() << " threads, " << before << " before";
    std::cout << "peak resident " << peak << " KiB (" << peakBefore << " KiB before), threads "
              << reliability::threadCount() << " after, " << before << " before\n";
}

} // namespace
