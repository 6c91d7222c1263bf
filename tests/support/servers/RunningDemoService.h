#pragma once

// The demo service running in-process on 127.0.0.1 and a free port, signing with the shared
// TestCertificateAuthority, serving a stat file of its own. Without respond(), every path needs
// user "demo" and password "quillfen" and answers 401 otherwise. Requests are recorded before
// they are answered, and every response closes its connection, so the destructor never waits
// for a client's idle one.

#include "tests/support/servers/TestCertificateAuthority.h"
#include "tools/demo-service/DemoService.h"

#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace trelvo::test {

class RunningDemoService {
public:
    RunningDemoService() {
        setStatJSON(demo::defaultStatJSON);
        service_ = orThrow(demo::DemoService::create({
            .port = 0,
            .stateDirectory = TestCertificateAuthority::shared().stateDirectory(),
            .statFile = statFile_,
            .onRequest =
                [this](const demo::RecordedRequest& request) {
                    std::lock_guard lock(mutex_);
                    requests_.push_back(request);
                },
            .keepAliveTimeout = std::chrono::seconds(1),
            .requestsPerConnection = 1,
        }));
        serving_ = std::thread([service = service_.get()] { service->run(); });
    }
    ~RunningDemoService() {
        service_->stop();
        serving_.join();
    }
    int port() const { return service_->port(); }
    std::string baseURL() const { return service_->baseURL(); }
    std::string caFile() const { return service_->caFile().string(); }
    std::vector<demo::RecordedRequest> requests() const {
        std::lock_guard lock(mutex_);
        return requests_;
    }
    void clearRequests() {
        std::lock_guard lock(mutex_);
        requests_.clear();
    }
    // The stat file's whole text, served as is by /api/v1/stat (valid JSON or not).
    void setStatJSON(std::string_view text) {
        orThrow(demo::writeFile(statFile_, text, demo::FileMode::shared));
    }
    // /api/v1/stat then answers 500 with a JSON error body.
    void removeStatFile() { std::filesystem::remove(statFile_); }
    void setLatestVersion(std::string version) { service_->setLatestVersion(std::move(version)); }
    void respond(const std::string& path, int status, std::string body,
                 std::string contentType = "application/json") {
        service_->setCannedResponse(path, {status, std::move(body), std::move(contentType)});
    }
    void clearResponse(const std::string& path) { service_->clearCannedResponse(path); }

private:
    TemporaryDirectory directory_{"trelvo-demo-service"};
    std::filesystem::path statFile_ = directory_.path() / "stat.json";
    mutable std::mutex mutex_;
    std::vector<demo::RecordedRequest> requests_;
    std::unique_ptr<demo::DemoService> service_;
    std::thread serving_;
};

} // namespace trelvo::test
