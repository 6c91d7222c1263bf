#pragma once

// Key and certificate generation for loopback TLS (ECDSA P-256, SHA-256 signatures).
//   auto ca = makeCertificateAuthority("Trelvo Demo CA", Validity::days(825));
//   auto server = issueCertificate(*ca, "localhost",
//                                  {"DNS:localhost", "IP:127.0.0.1", "IP:::1"},
//                                  Validity::days(825));
//   writeFile(dir / "ca.pem", toPEM(*ca->certificate), FileMode::shared);
// Used by the demo service for its own CA and by the test servers for expired, self-signed and
// wrong-host certificates.

#include "platform/foundation/Expected.h"
#include "tools/demo-service/OpenSSLHandles.h"

#include <chrono>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace trelvo::demo {

template <class T> using Result = platform::foundation::Expected<T, std::string>;

// A certificate's lifetime as offsets from the moment it is made.
struct Validity {
    std::chrono::seconds notBefore{-std::chrono::hours(1)};
    std::chrono::seconds notAfter{std::chrono::hours(24 * 825)};

    static Validity days(int count) {
        return {-std::chrono::hours(1), std::chrono::hours(24 * count)};
    }
    static Validity expired() { return {-std::chrono::hours(24 * 30), -std::chrono::hours(24)}; }
};

// A certificate with the private key of its subject.
struct Identity {
    X509Ptr certificate;
    PKeyPtr key;
};

Result<PKeyPtr> generateKey();
Result<Identity> makeCertificateAuthority(std::string_view commonName, Validity validity);
// subjectAltNames are written as OpenSSL spells them: "DNS:localhost", "IP:127.0.0.1".
Result<Identity> issueCertificate(const Identity& issuer, std::string_view commonName,
                                  const std::vector<std::string>& subjectAltNames,
                                  Validity validity);
// A leaf that signs itself: no CA vouches for it.
Result<Identity> makeSelfSigned(std::string_view commonName,
                                const std::vector<std::string>& subjectAltNames, Validity validity);

std::string toPEM(const X509& certificate);
std::string toPEM(const EVP_PKEY& key);
Result<X509Ptr> certificateFromPEM(std::string_view pem);
Result<PKeyPtr> keyFromPEM(std::string_view pem);

bool isCurrentlyValid(const X509& certificate);
bool isSignedBy(const X509& certificate, const X509& issuer);
bool keyMatches(const X509& certificate, const EVP_PKEY& key);

enum class FileMode { privateKey, shared };
// Writes through a temporary file and a rename, so a reader never sees half a PEM file.
Result<std::filesystem::path> writeFile(const std::filesystem::path& path, std::string_view text,
                                        FileMode mode);
Result<std::string> readFile(const std::filesystem::path& path);

// Recent OpenSSL errors as one line, for messages.
std::string lastOpenSSLError();

} // namespace trelvo::demo
