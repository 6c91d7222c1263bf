#include "platform/net/TransportEnvironment.h"

#include <cctype>
#include <cstdlib>
#include <curl/curl.h>
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

bool isSubjectHashName(const std::string& name) {
    const auto dot = name.find('.');
    if (dot != 8 || dot + 1 >= name.size()) {
        return false;
    }
    for (std::size_t i = 0; i < name.size(); ++i) {
        const auto c = static_cast<unsigned char>(name[i]);
        if (i < 8 ? !std::isxdigit(c) : (i > 8 && !std::isdigit(c))) {
            return false;
        }
    }
    return true;
}

} // namespace

bool isHashedCAFolder(const std::filesystem::path& folder) {
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
         it.increment(ec)) {
        if (isSubjectHashName(it->path().filename().string())) {
            return true;
        }
    }
    return false;
}

const std::string& hashedSystemCAFolder() {
    static const std::string folder = [] {
        const curl_version_info_data* info = curl_version_info(CURLVERSION_NOW);
        const char* capath = info && info->capath ? info->capath : "/etc/ssl/certs";
        return isHashedCAFolder(capath) ? std::string(capath) : std::string();
    }();
    return folder;
}

TransportEnvironment TransportEnvironment::current() {
    TransportEnvironment environment;
    environment.caFile = firstSet({"SSL_CERT_FILE"});
    // A CA file names the whole store: a folder beside it would only cost its cache.
    if (environment.caFile.empty()) {
        environment.caDirectory = firstSet({"SSL_CERT_DIR"});
        if (environment.caDirectory.empty()) {
            environment.caDirectory = hashedSystemCAFolder();
        }
    }
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
