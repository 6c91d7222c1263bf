#include "tests/support/servers/RunningDemoService.h"

#include "tests/support/servers/TestCertificateAuthority.h"

#include <stdexcept>

namespace trelvo::test {

RunningDemoService::RunningDemoService() {
    TestCertificateAuthority::shared().seedStateDirectory(directory_.path());
    demo::DemoServiceOptions options;
    options.port = 0;
    options.stateDirectory = directory_.path();
    options.keepAliveTimeout = std::chrono::seconds(1);
    options.requestsPerConnection = 1;
    options.onRequest = [this](const RecordedRequest& request) {
        std::lock_guard lock(mutex_);
        requests_.push_back(request);
    };
    auto service = demo::DemoService::create(std::move(options));
    if (!service) {
        throw std::runtime_error("the demo service did not start: " + service.error());
    }
    service_ = std::move(*service);
    serving_ = std::thread([service = service_.get()] { service->run(); });
}

RunningDemoService::~RunningDemoService() {
    service_->stop();
    serving_.join();
}

std::string RunningDemoService::caFile() const {
    return TestCertificateAuthority::shared().caFile().string();
}

std::vector<RecordedRequest> RunningDemoService::requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

void RunningDemoService::clearRequests() {
    std::lock_guard lock(mutex_);
    requests_.clear();
}

void RunningDemoService::setStatJSON(std::string_view text) {
    orThrow(demo::writeFile(statFile(), text, demo::FileMode::shared));
}

void RunningDemoService::respond(const std::string& path, int status, std::string body,
                                 std::string contentType) {
    service_->setCannedResponse(path, {status, std::move(body), std::move(contentType)});
}

} // namespace trelvo::test
