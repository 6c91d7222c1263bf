#include "tools/demo-service/StateDirectory.h"

#include <cstdlib>
#include <optional>
#include <pwd.h>
#include <unistd.h>

namespace trelvo::demo {
namespace {

using platform::foundation::Unexpected;
namespace fs = std::filesystem;

constexpr int validityDays = 825;
const std::vector<std::string> serverNames{"DNS:localhost", "IP:127.0.0.1", "IP:::1"};

std::optional<Identity> loadIdentity(const fs::path& certificatePath, const fs::path& keyPath) {
    auto certificateText = readFile(certificatePath);
    auto keyText = readFile(keyPath);
    if (!certificateText || !keyText) {
        return std::nullopt;
    }
    auto certificate = certificateFromPEM(*certificateText);
    auto key = keyFromPEM(*keyText);
    if (!certificate || !key || !isCurrentlyValid(**certificate) ||
        !keyMatches(**certificate, **key)) {
        return std::nullopt;
    }
    return Identity{std::move(*certificate), std::move(*key)};
}

Result<Identity> saveIdentity(Result<Identity> identity, const fs::path& certificatePath,
                              const fs::path& keyPath) {
    if (!identity) {
        return identity;
    }
    // The key first: a certificate on disk without its key would be taken for a half-made pair.
    auto key = writeFile(keyPath, toPEM(*identity->key), FileMode::privateKey);
    if (!key) {
        return Unexpected{key.error()};
    }
    auto certificate = writeFile(certificatePath, toPEM(*identity->certificate), FileMode::shared);
    if (!certificate) {
        return Unexpected{certificate.error()};
    }
    return identity;
}

Result<Identity> loadOrMakeCA(const StateFiles& files) {
    if (auto existing = loadIdentity(files.caCertificate, files.caKey)) {
        return std::move(*existing);
    }
    return saveIdentity(
        makeCertificateAuthority("Trelvo Demo Service CA", Validity::days(validityDays)),
        files.caCertificate, files.caKey);
}

Result<Identity> loadOrIssueServer(const StateFiles& files, const Identity& ca) {
    if (auto existing = loadIdentity(files.serverCertificate, files.serverKey);
        existing && isSignedBy(*existing->certificate, *ca.certificate)) {
        return std::move(*existing);
    }
    return saveIdentity(
        issueCertificate(ca, "localhost", serverNames, Validity::days(validityDays)),
        files.serverCertificate, files.serverKey);
}

Result<fs::path> ensureDirectory(const fs::path& directory) {
    std::error_code error;
    const bool created = fs::create_directories(directory, error);
    if (created) {
        // It holds private keys: nobody else may list or read it.
        fs::permissions(directory, fs::perms::owner_all, error);
    }
    if (error || !fs::is_directory(directory)) {
        return Unexpected{"cannot create the state directory " + directory.string() + ": " +
                          (error ? error.message() : "not a directory")};
    }
    return directory;
}

} // namespace

StateFiles StateFiles::in(const fs::path& directory) {
    return {directory,
            directory / "ca.pem",
            directory / "ca-key.pem",
            directory / "server.pem",
            directory / "server-key.pem",
            directory / "stat.json"};
}

fs::path defaultStateDirectory() {
    const char* stateHome = std::getenv("XDG_STATE_HOME");
    if (stateHome && *stateHome == '/') {
        return fs::path(stateHome) / "trelvo-demo-service";
    }
    const char* home = std::getenv("HOME");
    if (!home || !*home) {
        const passwd* entry = getpwuid(getuid());
        home = entry ? entry->pw_dir : "/tmp";
    }
    return fs::path(home) / ".local" / "state" / "trelvo-demo-service";
}

Result<PreparedState> prepareStateDirectory(const fs::path& directory) {
    auto made = ensureDirectory(directory);
    if (!made) {
        return Unexpected{made.error()};
    }
    const StateFiles files = StateFiles::in(directory);
    auto ca = loadOrMakeCA(files);
    if (!ca) {
        return Unexpected{ca.error()};
    }
    auto server = loadOrIssueServer(files, *ca);
    if (!server) {
        return Unexpected{server.error()};
    }
    std::error_code error;
    if (!fs::exists(files.stat, error)) {
        auto stat = writeFile(files.stat, defaultStatJSON, FileMode::shared);
        if (!stat) {
            return Unexpected{stat.error()};
        }
    }
    return PreparedState{files, std::move(*server)};
}

} // namespace trelvo::demo
