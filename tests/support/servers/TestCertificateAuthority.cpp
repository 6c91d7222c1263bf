#include "tests/support/servers/TestCertificateAuthority.h"

#include "tools/demo-service/StateDirectory.h"

namespace trelvo::test {
std::vector<std::string> loopbackNames() {
    return {"DNS:localhost", "IP:127.0.0.1", "IP:::1"};
}

const TestCertificateAuthority& TestCertificateAuthority::shared() {
    static const TestCertificateAuthority authority;
    return authority;
}

TestCertificateAuthority::TestCertificateAuthority()
    : identity_(orThrow(demo::makeCertificateAuthority("Trelvo Test CA", demo::Validity::days(30))))
    , caFile_(
          orThrow(demo::writeFile(directory_.path() / "ca.pem", demo::toPEM(*identity_.certificate),
                                  demo::FileMode::shared))) {}

demo::Identity TestCertificateAuthority::issue(const std::vector<std::string>& subjectAltNames,
                                               demo::Validity validity) const {
    return orThrow(demo::issueCertificate(identity_, "localhost", subjectAltNames, validity));
}

void TestCertificateAuthority::seedStateDirectory(const std::filesystem::path& directory) const {
    const auto files = demo::StateFiles::in(directory);
    std::filesystem::create_directories(directory);
    orThrow(demo::writeFile(files.caKey, demo::toPEM(*identity_.key), demo::FileMode::privateKey));
    orThrow(demo::writeFile(files.caCertificate, demo::toPEM(*identity_.certificate),
                            demo::FileMode::shared));
}

} // namespace trelvo::test
