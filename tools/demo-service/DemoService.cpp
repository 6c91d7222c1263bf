#include "tools/demo-service/DemoService.h"

#include "tools/demo-service/BasicAuth.h"
#include "tools/demo-service/StateDirectory.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <httplib.h>
#include <netdb.h>
#include <nlohmann/json.hpp>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace trelvo::demo {
namespace {

using platform::foundation::Unexpected;

constexpr const char* unauthorizedPage =
    "<!DOCTYPE html>\n<html><head><title>401 Unauthorized</title></head>"
    "<body><h1>401 Unauthorized</h1><p>The Trelvo demo service needs a user name and "
    "password.</p></body></html>\n";

constexpr const char* homePage =
    "<!DOCTYPE html>\n<html><head><title>Trelvo Demo Service</title></head>"
    "<body><h1>Trelvo Demo Service</h1><p>Project results for the Trelvo Results widget: "
    "<a href=\"/api/v1/stat\">/api/v1/stat</a>, "
    "<a href=\"/api/v1/appLatestVersion\">/api/v1/appLatestVersion</a>.</p></body></html>\n";

bool isServerAnnotation(const std::string& name) {
    // httplib files the peer's and its own address among the request headers.
    return name == "REMOTE_ADDR" || name == "REMOTE_PORT" || name == "LOCAL_ADDR" ||
           name == "LOCAL_PORT";
}

RecordedRequest record(const httplib::Request& request) {
    RecordedRequest recorded{request.method, request.target, {}};
    for (const auto& [name, value] : request.headers) {
        if (!isServerAnnotation(name)) {
            recorded.headers.emplace_back(name, value);
        }
    }
    return recorded;
}

void answerJSON(httplib::Response& response, int status, const nlohmann::json& body) {
    response.status = status;
    response.set_content(body.dump() + "\n", "application/json");
}

// Without SO_REUSEPORT, which httplib sets by default: a second service on a taken port must
// fail instead of quietly sharing it.
void exclusiveSocketOptions(int socket) {
    const int yes = 1;
    ::setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
}

// httplib reports only that binding failed; binding once more ourselves tells why.
std::string bindFailure(const std::string& host, int port) {
    const std::string where = host + ":" + std::to_string(port);
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV | AI_PASSIVE;
    addrinfo* found = nullptr;
    if (::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0 || !found) {
        return "cannot listen on " + where + ": unknown host";
    }
    std::unique_ptr<addrinfo, decltype(&::freeaddrinfo)> addresses(found, ::freeaddrinfo);
    const int socket = ::socket(found->ai_family, found->ai_socktype | SOCK_CLOEXEC, 0);
    if (socket < 0) {
        return "cannot listen on " + where + ": " + std::strerror(errno);
    }
    exclusiveSocketOptions(socket);
    const int result =
        ::bind(socket, found->ai_addr, found->ai_addrlen) == 0 ? ::listen(socket, 1) : -1;
    const int error = errno;
    ::close(socket);
    if (result == 0) {
        return "cannot listen on " + where;
    }
    if (error == EADDRINUSE) {
        return "port " + std::to_string(port) + " on " + host +
               " is already in use (is another demo service running? try --port 0)";
    }
    return "cannot listen on " + where + ": " + std::strerror(error);
}

} // namespace

Result<std::unique_ptr<DemoService>> DemoService::create(DemoServiceOptions options) {
    if (options.stateDirectory.empty()) {
        options.stateDirectory = defaultStateDirectory();
    }
    auto state = prepareStateDirectory(options.stateDirectory);
    if (!state) {
        return Unexpected{state.error()};
    }
    const auto statFile = options.statFile.value_or(state->files.stat);
    auto service =
        std::make_unique<DemoService>(Token{}, std::move(options), state->files.caCertificate,
                                      statFile, std::move(state->server));
    if (!service->server_->is_valid()) {
        return Unexpected{"cannot set up TLS: " + lastOpenSSLError()};
    }
    auto& server = *service->server_;
    const auto& host = service->options_.host;
    const int port = service->options_.port;
    if (port == 0) {
        service->port_ = server.bind_to_any_port(host);
    } else if (server.bind_to_port(host, port)) {
        service->port_ = port;
    } else {
        service->port_ = -1;
    }
    if (service->port_ <= 0) {
        return Unexpected{bindFailure(host, port)};
    }
    return service;
}

DemoService::DemoService(Token, DemoServiceOptions options, std::filesystem::path caFile,
                         std::filesystem::path statFile, Identity identity)
    : options_(std::move(options))
    , caFile_(std::move(caFile))
    , statFile_(std::move(statFile))
    , identity_(std::move(identity))
    , server_(
          std::make_unique<httplib::SSLServer>(identity_.certificate.get(), identity_.key.get()))
    , latestVersion_(options_.latestVersion) {
    server_->set_socket_options(exclusiveSocketOptions);
    // An answer goes out in several writes; with Nagle on, the last one waits for the client's
    // delayed ACK, 40 ms on Linux, which every fetch would pay.
    server_->set_tcp_nodelay(true);
    server_->set_keep_alive_timeout(options_.keepAliveTimeout.count());
    server_->set_keep_alive_max_count(std::max<std::size_t>(1, options_.requestsPerConnection));
    installRoutes();
}

DemoService::~DemoService() {
    stop();
}

std::string DemoService::baseURL() const {
    const bool ipv6 = options_.host.find(':') != std::string::npos;
    const std::string host = ipv6 ? "[" + options_.host + "]" : options_.host;
    return "https://" + host + ":" + std::to_string(port_);
}

bool DemoService::run() {
    running_ = true;
    const bool served = stopRequested_ || server_->listen_after_bind();
    running_ = false;
    return served;
}

void DemoService::stop() {
    std::lock_guard lock(stopMutex_);
    stopRequested_ = true;
    // httplib's stop() does nothing until the listening loop has started, so keep trying while
    // run() is on its way there.
    bool stopped = false;
    while (running_) {
        if (!stopped && server_->is_running()) {
            server_->stop();
            stopped = true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

void DemoService::setLatestVersion(std::string version) {
    std::lock_guard lock(mutex_);
    latestVersion_ = std::move(version);
}

void DemoService::setCannedResponse(const std::string& path, CannedResponse response) {
    std::lock_guard lock(mutex_);
    cannedResponses_[path] = std::move(response);
}

void DemoService::clearCannedResponse(const std::string& path) {
    std::lock_guard lock(mutex_);
    cannedResponses_.erase(path);
}

std::optional<CannedResponse> DemoService::cannedResponse(const std::string& path) const {
    std::lock_guard lock(mutex_);
    const auto found = cannedResponses_.find(path);
    return found == cannedResponses_.end() ? std::nullopt : std::optional(found->second);
}

std::string DemoService::latestVersion() const {
    std::lock_guard lock(mutex_);
    return latestVersion_;
}

void DemoService::installRoutes() {
    using httplib::Request;
    using httplib::Response;
    using Outcome = httplib::Server::HandlerResponse;

    server_->set_pre_routing_handler([this](const Request& request, Response& response) {
        if (options_.onRequest) {
            options_.onRequest(record(request));
        }
        if (auto canned = cannedResponse(request.path)) {
            response.status = canned->status;
            response.set_content(canned->body, canned->contentType);
            return Outcome::Handled;
        }
        if (!hasCredentials(request.get_header_value("Authorization"), serviceUser,
                            servicePassword)) {
            response.status = 401;
            response.set_header("WWW-Authenticate", "Basic realm=\"Trelvo\"");
            response.set_content(unauthorizedPage, "text/html; charset=utf-8");
            return Outcome::Handled;
        }
        return Outcome::Unhandled;
    });

    server_->Get("/", [](const Request&, Response& response) {
        response.set_content(homePage, "text/html; charset=utf-8");
    });

    server_->Get("/api/v1/stat", [this](const Request&, Response& response) {
        // Read per request, so the figures can be edited while the service runs.
        auto stat = readFile(statFile_);
        if (!stat) {
            answerJSON(response, 500, {{"error", "the stat file cannot be read"}});
            return;
        }
        response.set_content(*stat, "application/json");
    });

    server_->Get("/api/v1/appLatestVersion", [this](const Request&, Response& response) {
        answerJSON(response, 200, {{"version", latestVersion()}});
    });
}

} // namespace trelvo::demo
