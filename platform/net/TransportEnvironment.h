#pragma once

#include <filesystem>
#include <string>

namespace platform::net {

// Settings read from the environment when a task starts, so the network thread never reads
// the environment while others may change it.
struct TransportEnvironment {
    std::string caFile;      // SSL_CERT_FILE; empty: the system store
    std::string caDirectory; // without a CA file: SSL_CERT_DIR, else the system's hashed folder
    std::string proxy;       // https_proxy / all_proxy; empty: none
    std::string noProxy;     // no_proxy, loopback always added

    static TransportEnvironment current();
};

// Whether OpenSSL can look certificates up in `folder` by subject hash (links like
// "002c0b4f.0", as Debian's /etc/ssl/certs has); systems that ship only a bundle have none.
bool isHashedCAFolder(const std::filesystem::path& folder);

// libcurl's own CA folder when it is hashed, found once; empty otherwise. Verifying through it
// reads the one or two certificates a handshake needs, where the bundle costs each process tens
// of milliseconds to parse its hundred and fifty.
const std::string& hashedSystemCAFolder();

} // namespace platform::net
