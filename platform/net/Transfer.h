#pragma once

#include "platform/net/CurlHandles.h"
#include "platform/net/Data.h"
#include "platform/net/TaskRun.h"
#include "platform/net/URL.h"
#include "platform/net/URLError.h"

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace platform::net {

// One HTTP exchange (one hop of a task) on one libcurl easy handle, with the caps that keep a
// hostile server from growing memory or holding the task forever.
class Transfer {
public:
    using Clock = std::chrono::steady_clock;

    static constexpr std::size_t maximumBodyBytes = 1 << 20;
    static constexpr std::size_t maximumHeaderBytes = 256 * 1024;
    static constexpr std::size_t maximumHeaderCount = 1000;
    static constexpr std::chrono::milliseconds maximumConnectTime{10'000};

    struct Hop {
        URL url;
        std::string method;
        bool withCredentials = true;
        Clock::time_point resourceDeadline;
    };

    struct Outcome {
        std::optional<URLError::Code> error;
        int statusCode = 0;
        std::vector<std::pair<std::string, std::string>> headers;
        Data body;
    };

    // Null when libcurl cannot make or set up a handle.
    static std::unique_ptr<Transfer> make(const TaskRun& run, const Hop& hop);

    Transfer(curl::Easy easy, std::chrono::milliseconds idleTimeout);
    Transfer(const Transfer&) = delete; // libcurl holds our address
    Transfer& operator=(const Transfer&) = delete;

    CURL* handle() const { return easy_.get(); }
    // When the transfer fails for want of progress.
    Clock::time_point idleDeadline() const { return lastActivity_ + idleTimeout_; }
    // What became of the exchange, once libcurl is done with it (or the idle time ran out).
    Outcome finish(CURLcode result);

private:
    static std::size_t onBody(char* bytes, std::size_t size, std::size_t count, void* self);
    static std::size_t onHeader(char* bytes, std::size_t size, std::size_t count, void* self);
    static int onProgress(void* self, curl_off_t dlTotal, curl_off_t dlNow, curl_off_t ulTotal,
                          curl_off_t ulNow);
    bool acceptHeaderLine(std::string_view line);
    bool configure(const TaskRun& run, const Hop& hop);

    curl::Easy easy_;
    curl::SList headerList_;
    std::chrono::milliseconds idleTimeout_;
    Clock::time_point lastActivity_ = Clock::now();
    curl_off_t lastDownloaded_ = 0;
    curl_off_t lastUploaded_ = 0;
    Data body_;
    std::vector<std::pair<std::string, std::string>> headers_;
    std::size_t headerBytes_ = 0;
    std::size_t headerCount_ = 0;
    std::optional<URLError::Code> abortReason_;
    char errorBuffer_[CURL_ERROR_SIZE] = {};
};

} // namespace platform::net
