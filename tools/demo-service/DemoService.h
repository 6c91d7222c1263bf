#pragma once

// The demo results service: HTTPS with Basic auth on a loopback port.
//   DemoServiceOptions options;  options.port = 0;  options.stateDirectory = dir;
//   auto service = DemoService::create(std::move(options));   // binds; fails if the port is taken
//   if (!service) { std::cerr << service.error(); }
//   std::thread serving([&] { (*service)->run(); });           // serves until stop()
//   ... (*service)->baseURL() ... (*service)->stop(); serving.join();
// Routes: GET / (a page), GET /api/v1/stat (the stat file, re-read per request),
// GET /api/v1/appLatestVersion ({"version": ...}). Every route needs user "demo", password
// "quillfen"; others get 401 with WWW-Authenticate.

#include "tools/demo-service/Certificates.h"
#include "tools/demo-service/RecordedRequest.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace httplib {
class SSLServer;
}

namespace trelvo::demo {

inline constexpr const char* serviceUser = "demo";
inline constexpr const char* servicePassword = "quillfen";

struct DemoServiceOptions {
    std::string host = "127.0.0.1";
    int port = 8443; // 0 picks a free port
    std::filesystem::path stateDirectory;
    std::optional<std::filesystem::path> statFile; // default: stat.json in the state directory
    std::string latestVersion = "1.0.1";
    // Called for every request before it is answered, on the server's worker threads.
    std::function<void(const RecordedRequest&)> onRequest;
    // How long an idle kept-alive connection is held, and for how many requests; stop() waits
    // for held connections to end. One request per connection answers "Connection: close".
    std::chrono::seconds keepAliveTimeout{2};
    std::size_t requestsPerConnection = 100;
};

// A fixed answer for one path, served whatever the credentials.
struct CannedResponse {
    int status = 200;
    std::string body;
    std::string contentType = "application/json";
};

class DemoService {
    struct Token {
        explicit Token() = default;
    };

public:
    static Result<std::unique_ptr<DemoService>> create(DemoServiceOptions options);
    DemoService(Token, DemoServiceOptions options, std::filesystem::path caFile,
                std::filesystem::path statFile, Identity identity);
    ~DemoService();
    DemoService(const DemoService&) = delete;
    DemoService& operator=(const DemoService&) = delete;

    int port() const { return port_; }
    std::string baseURL() const;
    const std::filesystem::path& caFile() const { return caFile_; }
    const std::filesystem::path& statFile() const { return statFile_; }

    // Serves on the calling thread until stop(); false if serving failed.
    bool run();
    // Safe from any thread but the serving one, before, during or after run(); returns once
    // run() has returned or will return at once.
    void stop();

    void setLatestVersion(std::string version);
    void setCannedResponse(const std::string& path, CannedResponse response);
    void clearCannedResponse(const std::string& path);

private:
    void installRoutes();
    std::optional<CannedResponse> cannedResponse(const std::string& path) const;
    std::string latestVersion() const;

    DemoServiceOptions options_;
    std::filesystem::path caFile_;
    std::filesystem::path statFile_;
    Identity identity_;
    std::unique_ptr<httplib::SSLServer> server_;
    int port_ = 0;
    std::atomic<bool> stopRequested_{false};
    std::atomic<bool> running_{false};
    std::mutex stopMutex_;

    mutable std::mutex mutex_;
    std::string latestVersion_;
    std::map<std::string, CannedResponse> cannedResponses_;
};

} // namespace trelvo::demo
