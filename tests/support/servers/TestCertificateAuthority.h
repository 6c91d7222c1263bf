#pragma once

// A CA for loopback test servers, and the certificates it issues. Every RunningDemoService and
// HostileServer of a process uses the shared one, so one SSL_CERT_FILE trusts them all.
// Failures to make keys throw: a test cannot go on without them.

#include "tests/support/TemporaryDirectory.h"
#include "tools/demo-service/Certificates.h"
#include "tools/demo-service/StateDirectory.h"

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace trelvo::test {

inline const std::vector<std::string> loopbackNames{"DNS:localhost", "IP:127.0.0.1", "IP:::1"};

template <class T> T orThrow(demo::Result<T> result) {
    return result ? std::move(*result) : throw std::runtime_error(result.error());
}

class TestCertificateAuthority {
public:
    static const TestCertificateAuthority& shared() {
        static const TestCertificateAuthority authority;
        return authority;
    }
    // The CA certificate in PEM, for SSL_CERT_FILE or a client's CA option.
    const std::filesystem::path& caFile() const { return files_.caCertificate; }
    // The demo service state directory every RunningDemoService shares: this CA and its key.
    const std::filesystem::path& stateDirectory() const { return files_.directory; }
    demo::Identity issue(const std::vector<std::string>& subjectAltNames = loopbackNames,
                         demo::Validity validity = demo::Validity::days(30)) const {
        return orThrow(demo::issueCertificate(identity_, "localhost", subjectAltNames, validity));
    }

private:
    TestCertificateAuthority() {
        orThrow(
            demo::writeFile(files_.caKey, demo::toPEM(*identity_.key), demo::FileMode::privateKey));
        orThrow(
            demo::writeFile(caFile(), demo::toPEM(*identity_.certificate), demo::FileMode::shared));
    }

    TemporaryDirectory directory_{"trelvo-test-ca"};
    demo::StateFiles files_ = demo::StateFiles::in(directory_.path());
    demo::Identity identity_ =
        orThrow(demo::makeCertificateAuthority("Trelvo Test CA", demo::Validity::days(30)));
};

} // namespace trelvo::test
