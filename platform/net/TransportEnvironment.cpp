#include "platform/net/TransportEnvironment.h"

#include <cstdlib>
#include <initializer_list>

namespace platform::net {
namespace {

std::string firstSet(std::initializer_list<const char*> names) {
    for (const char* name : names) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') {
            return value;
        }
    }
    return {};
}

} // namespace

TransportEnvironment TransportEnvironment::current() {
    TransportEnvironment environment;
    environment.caFile = firstSet({"SSL_CERT_FILE"});
    environment.proxy = firstSet({"https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"});
    environment.noProxy = firstSet({"no_proxy", "NO_PROXY"});
    if (environment.noProxy != "*") {
        // Loopback never goes through a proxy.
        environment.noProxy += environment.noProxy.empty() ? "" : ",";
        environment.noProxy += "localhost,127.0.0.1,::1";
    }
    return environment;
}

} // namespace platform::net
