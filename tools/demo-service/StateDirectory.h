#pragma once

// The demo service's files between runs: its CA, its server certificate and the stat figures.
//   auto state = prepareStateDirectory(defaultStateDirectory());
//   if (!state) { report(state.error()); }
//   SSLServer server(state->server.certificate.get(), state->server.key.get());
// A CA or server certificate that is missing, unreadable, expired or does not match is made
// again; a good one is kept, so a CA the user once trusted keeps working.

#include "tools/demo-service/Certificates.h"

#include <filesystem>

namespace trelvo::demo {

struct StateFiles {
    std::filesystem::path directory;
    std::filesystem::path caCertificate;
    std::filesystem::path caKey;
    std::filesystem::path serverCertificate;
    std::filesystem::path serverKey;
    std::filesystem::path stat;

    static StateFiles in(const std::filesystem::path& directory);
};

struct PreparedState {
    StateFiles files;
    Identity server;
};

inline constexpr const char* defaultStatJSON =
    R"({"year_result": 1500, "year_plan": 3000, "month_result": 100, "month_plan": 250})"
    "\n";

// $XDG_STATE_HOME/trelvo-demo-service, or ~/.local/state/trelvo-demo-service.
std::filesystem::path defaultStateDirectory();

Result<PreparedState> prepareStateDirectory(const std::filesystem::path& directory);

} // namespace trelvo::demo
