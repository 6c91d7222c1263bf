#include "platform/net/CurlErrorMapping.h"

#include <gtest/gtest.h>

namespace platform::net {
namespace {

using Code = URLError::Code;

struct MappingCase {
    CURLcode result;
    Code code;
};

void PrintTo(const MappingCase& c, std::ostream* out) {
    *out << curl_easy_strerror(c.result);
}

class CurlErrorMappingTest : public testing::TestWithParam<MappingCase> {};

TEST_P(CurlErrorMappingTest, GivesThePlatformCode) {
    EXPECT_EQ(urlErrorCode(GetParam().result), GetParam().code)
        << curl_easy_strerror(GetParam().result);
}

INSTANTIATE_TEST_SUITE_P(
    Results, CurlErrorMappingTest,
    testing::Values(MappingCase{CURLE_COULDNT_CONNECT, Code::cannotConnectToHost},
                    MappingCase{CURLE_COULDNT_RESOLVE_HOST, Code::cannotFindHost},
                    MappingCase{CURLE_OPERATION_TIMEDOUT, Code::timedOut},
                    MappingCase{CURLE_PEER_FAILED_VERIFICATION, Code::serverCertificateUntrusted},
                    MappingCase{CURLE_SSL_CONNECT_ERROR, Code::secureConnectionFailed},
                    MappingCase{CURLE_SSL_CACERT_BADFILE, Code::secureConnectionFailed},
                    MappingCase{CURLE_GOT_NOTHING, Code::networkConnectionLost},
                    MappingCase{CURLE_RECV_ERROR, Code::networkConnectionLost},
                    MappingCase{CURLE_PARTIAL_FILE, Code::networkConnectionLost},
                    MappingCase{CURLE_WEIRD_SERVER_REPLY, Code::badServerResponse},
                    MappingCase{CURLE_FILESIZE_EXCEEDED, Code::dataLengthExceedsMaximum},
                    MappingCase{CURLE_UNSUPPORTED_PROTOCOL, Code::unsupportedURL},
                    MappingCase{CURLE_URL_MALFORMAT, Code::badURL},
                    MappingCase{CURLE_OUT_OF_MEMORY, Code::unknown}));

} // namespace
} // namespace platform::net
