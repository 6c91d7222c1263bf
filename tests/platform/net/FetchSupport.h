#pragma once

// Runs data tasks to their end for the network suites, recording where the completion ran.
//   auto outcome = fetch(URLSession(configuration), *URL::string(url));
//   EXPECT_EQ(outcome.error->code, URLError::Code::timedOut);

#include "platform/net/URLSession.h"

#include <optional>
#include <ostream>
#include <thread>

namespace platform::net::test {

struct FetchOutcome {
    std::optional<Data> data;
    std::optional<HTTPURLResponse> response;
    std::optional<URLError> error;
    int calls = 0;
    bool onSessionQueue = false;
    std::thread::id thread;
};

// Starts one task and waits for its completion (and a little after it, to see a second call).
FetchOutcome fetch(const URLSession& session, URL url);
FetchOutcome fetch(const URLSessionConfiguration& configuration, std::string_view url);

std::string text(const std::optional<Data>& data);

} // namespace platform::net::test

namespace platform::net {
// Failure messages show the platform's number, not the enumerator's bytes.
inline void PrintTo(URLError::Code code, std::ostream* out) { *out << static_cast<int>(code); }
} // namespace platform::net
