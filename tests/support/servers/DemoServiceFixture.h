#pragma once

// A fixture with a fresh RunningDemoService per test, trusted through SSL_CERT_FILE and named
// by TRELVO_SERVICE_URL for the test's duration.

#include "tests/support/ScopedEnv.h"
#include "tests/support/servers/RunningDemoService.h"

#include <gtest/gtest.h>

namespace trelvo::test {

class DemoServiceFixture : public ::testing::Test {
protected:
    RunningDemoService& service() { return service_; }

private:
    RunningDemoService service_;
    ScopedEnv trust_{"SSL_CERT_FILE", service_.caFile()};
    ScopedEnv origin_{"TRELVO_SERVICE_URL", service_.baseURL()};
};

} // namespace trelvo::test
