#pragma once

// A CA for loopback test servers, and the certificates it issues.
//   const auto& ca = TestCertificateAuthority::shared();   // one per test process
//   ScopedEnv trust("SSL_CERT_FILE", ca.caFile().string());
//   demo::Identity good = ca.issue();                       // localhost, 127.0.0.1, ::1
//   demo::Identity old = ca.issue(loopbackNames(), demo::Validity::expired());
// Every RunningDemoService and HostileServer of a process uses the shared CA, so one
// SSL_CERT_FILE trusts them all. Failures to make keys throw: a test cannot go on without them.

#include "tests/support/TemporaryDirectory.h"
#include "tools/demo-service/Certificates.h"

#include <filesystem>
#include <string>
#include <vector>

namespace trelvo::test {

std::vector<std::string> loopbackNames();

class TestCertificateAuthority {
public:
    static const TestCertificateAuthority& shared();

    TestCertificateAuthority();
    TestCertificateAuthority(const TestCertificateAuthority&) = delete;
    TestCertificateAuthority& operator=(const TestCertificateAuthority&) = delete;

    // The CA certificate in PEM, for SSL_CERT_FILE or a client's CA option.
    const std::filesystem::path& caFile() const { return caFile_; }
    const demo::Identity& identity() const { return identity_; }

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
