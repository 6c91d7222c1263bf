#pragma once

#include <string>

namespace platform::net {

// Settings read from the environment when a task starts, so the network thread never reads
// the environment while others may change it.
struct TransportEnvironment {
    std::string caFile;  // SSL_CERT_FILE; empty: the system store
    std::string proxy;   // https_proxy / all_proxy; empty: none
    std::string noProxy; // no_proxy, loopback always added

    static TransportEnvironment current();
};

} // namespace platform::net
