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

TEST(URLErrorTest, UntrustedCertificateNamesTheHost) {
    URLError error{Code::serverCertificateUntrusted, "https://127.0.0.1:9/api/v1/stat"};
    EXPECT_NE(error.localizedDescription().find("\u201c127.0.0.1\u201d"), std::string::npos);
}

} // namespace
} // namespace platform::net
