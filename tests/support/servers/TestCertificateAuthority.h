#pragma once

// A CA for loopback test servers, and the certificates it issues. Every RunningDemoService and
// HostileServer of a process uses the shared one, so one SSL_CERT_FILE trusts them all.
//   ScopedEnv trust("SSL_CERT_FILE", TestCertificateAuthority::shared().caFile().string());
//   demo::Identity old = ca.issue(loopbackNames(), demo::Validity::expired());
// Failures to make keys throw: a test cannot go on without them.

#include "tests/support/TemporaryDirectory.h"
#include "tools/demo-service/Certificates.h"

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace trelvo::test {

std::vector<std::string> loopbackNames(); // localhost, 127.0.0.1, ::1

template <class T> T orThrow(demo::Result<T> result) {
    if (!result) {
        throw std::runtime_error(result.error());
    }
    return std::move(*result);
}

class TestCertificateAuthority {
public:
    static const TestCertificateAuthority& shared();

    TestCertificateAuthority();
    TestCertificateAuthority(const TestCertificateAuthority&) = delete;
    TestCertificateAuthority& operator=(const TestCertificateAuthority&) = delete;

    // The CA certificate in PEM, for SSL_CERT_FILE or a client's CA option.
    const std::filesystem::path& caFile() const { return caFile_; }

    demo::Identity issue(const std::vector<std::string>& subjectAltNames = loopbackNames(),
                         demo::Validity validity = demo::Validity::days(30)) const;
    // Puts this CA into a demo service state directory, so the service signs with it.
    void seedStateDirectory(const std::filesystem::path& directory) const;

private:
    TemporaryDirectory directory_{"trelvo-test-ca"};
    demo::Identity identity_;
    std::filesystem::path caFile_;
};

} // namespace trelvo::test
