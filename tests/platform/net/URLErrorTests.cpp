#include "platform/net/URLError.h"

#include <gtest/gtest.h>

namespace platform::net {
namespace {

using Code = URLError::Code;

TEST(URLErrorTest, DescriptionHasThePlatformForm) {
    URLError error{Code::cannotConnectToHost, "https://127.0.0.1:8443/api/v1/stat"};
    EXPECT_EQ(error.description(),
              "Error Domain=NSURLErrorDomain Code=-1004 \"Could not connect to the server.\" "
              "UserInfo={NSErrorFailingURLStringKey=https://127.0.0.1:8443/api/v1/stat, "
              "NSLocalizedDescription=Could not connect to the server.}");
}

TEST(URLErrorTest, DescriptionWithoutURLLeavesTheKeyOut) {
    EXPECT_EQ((URLError{Code::timedOut, ""}.description()),
              "Error Domain=NSURLErrorDomain Code=-1001 \"The request timed out.\" "
              "UserInfo={NSLocalizedDescription=The request timed out.}");
}

struct CodeCase {
    Code code;
    int number;
    const char* text;
};

void PrintTo(const CodeCase& c, std::ostream* out) {
    *out << c.number;
}

class URLErrorCodeTest : public testing::TestWithParam<CodeCase> {};

TEST_P(URLErrorCodeTest, HasItsNumberAndText) {
    URLError error{GetParam().code, "https://h.example/p"};
    EXPECT_EQ(error.errorCode(), GetParam().number);
    EXPECT_NE(error.localizedDescription().find(GetParam().text), std::string::npos)
        << error.localizedDescription();
    EXPECT_NE(error.description().find("Code=" + std::to_string(GetParam().number) + " "),
              std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, URLErrorCodeTest,
    testing::Values(CodeCase{Code::badURL, -1000, "bad URL"},
                    CodeCase{Code::timedOut, -1001, "timed out"},
                    CodeCase{Code::unsupportedURL, -1002, "unsupported URL"},
                    CodeCase{Code::cannotFindHost, -1003, "could not be found"},
                    CodeCase{Code::cannotConnectToHost, -1004, "Could not connect"},
                    CodeCase{Code::networkConnectionLost, -1005, "connection was lost"},
                    CodeCase{Code::httpTooManyRedirects, -1007, "too many HTTP redirects"},
                    CodeCase{Code::badServerResponse, -1011, "could not be read"},
                    CodeCase{Code::secureConnectionRequired, -1022, "secure connection"},
                    CodeCase{Code::dataLengthExceedsMaximum, -1103, "maximum size"},
                    CodeCase{Code::secureConnectionFailed, -1200, "SSL error"},
                    CodeCase{Code::serverCertificateUntrusted, -1202, "pretending to be"},
                    CodeCase{Code::unknown, -1, "unknown error"}));

TEST(URLErrorTest, UntrustedCertificateNamesTheHost) {
    URLError error{Code::serverCertificateUntrusted, "https://127.0.0.1:9/api/v1/stat"};
    EXPECT_NE(error.localizedDescription().find("\u201c127.0.0.1\u201d"), std::string::npos);
}

} // namespace
} // namespace platform::net
