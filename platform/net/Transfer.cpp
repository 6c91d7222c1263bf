#include "platform/net/Transfer.h"

#include "platform/net/CurlErrorMapping.h"
#include "platform/net/HeaderLines.h"

#include <algorithm>
#include <cmath>

namespace platform::net {
namespace {

// A refreshed system store is picked up within the hour; until then every task reuses the
// parsed one instead of paying for the parse again.
constexpr long caCacheSeconds = 3600;

std::chrono::milliseconds idleTimeoutFor(const TaskRun& run) {
    double seconds =
        std::min(run.request.timeoutInterval, run.configuration.timeoutIntervalForRequest);
    if (!(seconds > 0)) {
        seconds = URLSessionConfiguration{}.timeoutIntervalForRequest;
    }
    return std::chrono::milliseconds(static_cast<long long>(std::ceil(seconds * 1000)));
}

long millisecondsUntil(Transfer::Clock::time_point deadline) {
    using namespace std::chrono;
    auto left = duration_cast<milliseconds>(deadline - Transfer::Clock::now()).count();
    return static_cast<long>(std::max<long long>(left, 1));
}

std::string_view trimmed(std::string_view text) {
    auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) {
        return {};
    }
    auto last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

} // namespace

Transfer::Transfer(curl::Easy easy, std::chrono::milliseconds idleTimeout)
    : easy_(std::move(easy))
    , idleTimeout_(idleTimeout) {}

std::unique_ptr<Transfer> Transfer::make(const TaskRun& run, const Hop& hop) {
    curl::Easy easy(curl_easy_init());
    if (!easy) {
        return nullptr;
    }
    auto transfer = std::make_unique<Transfer>(std::move(easy), idleTimeoutFor(run));
    if (!transfer->configure(run, hop)) {
        return nullptr;
    }
    return transfer;
}

bool Transfer::configure(const TaskRun& run, const Hop& hop) {
    CURL* easy = easy_.get();
    for (const auto& line :
         headerLines(run.configuration.httpAdditionalHeaders, hop.withCredentials)) {
        curl_slist* grown = curl_slist_append(headerList_.get(), line.c_str());
        if (grown == nullptr) {
            return false;
        }
        (void)headerList_.release();
        headerList_.reset(grown);
    }
    auto connectTime = std::min<long long>(maximumConnectTime.count(), idleTimeout_.count());
    const auto& environment = run.environment;

    bool ok = true;
    auto set = [&](CURLoption option, auto value) {
        ok = ok && curl_easy_setopt(easy, option, value) == CURLE_OK;
    };
    set(CURLOPT_URL, hop.url.absoluteString().c_str());
    set(CURLOPT_PROTOCOLS_STR, "https");
    set(CURLOPT_FOLLOWLOCATION, 0L);
    set(CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
    set(CURLOPT_NOSIGNAL, 1L);
    set(CURLOPT_FORBID_REUSE, 1L); // sessions share no connections, as each is made afresh
    set(CURLOPT_HTTPHEADER, headerList_.get());
    set(CURLOPT_PRIVATE, static_cast<void*>(this));
    set(CURLOPT_ERRORBUFFER, errorBuffer_);
    set(CURLOPT_WRITEFUNCTION, &Transfer::onBody);
    set(CURLOPT_WRITEDATA, static_cast<void*>(this));
    set(CURLOPT_HEADERFUNCTION, &Transfer::onHeader);
    set(CURLOPT_HEADERDATA, static_cast<void*>(this));
    set(CURLOPT_XFERINFOFUNCTION, &Transfer::onProgress);
    set(CURLOPT_XFERINFODATA, static_cast<void*>(this));
    set(CURLOPT_NOPROGRESS, 0L);
    set(CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(connectTime));
    set(CURLOPT_TIMEOUT_MS, millisecondsUntil(hop.resourceDeadline));
    set(CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(maximumBodyBytes));
    set(CURLOPT_SSL_VERIFYPEER, 1L);
    set(CURLOPT_SSL_VERIFYHOST, 2L);
    // A CA file is parsed once and cached for the session's handles; a hashed folder is read a
    // certificate at a time, only what the handshake needs. Never both: libcurl caches no store
    // that a folder adds to.
    if (!environment.caFile.empty()) {
        set(CURLOPT_CAINFO, environment.caFile.c_str());
        set(CURLOPT_CAPATH, static_cast<const char*>(nullptr));
    } else if (!environment.caDirectory.empty()) {
        set(CURLOPT_CAINFO, static_cast<const char*>(nullptr));
        set(CURLOPT_CAPATH, environment.caDirectory.c_str());
    } else {
        set(CURLOPT_CAPATH, static_cast<const char*>(nullptr));
    }
    set(CURLOPT_CA_CACHE_TIMEOUT, caCacheSeconds);
    set(CURLOPT_PROXY, environment.proxy.c_str());
    set(CURLOPT_NOPROXY, environment.noProxy.c_str());
    if (hop.method == "HEAD") {
        set(CURLOPT_NOBODY, 1L);
    } else if (hop.method != "GET") {
        set(CURLOPT_CUSTOMREQUEST, hop.method.c_str());
    }
    return ok;
}

std::size_t Transfer::onBody(char* bytes, std::size_t size, std::size_t count, void* opaque) {
    auto* self = static_cast<Transfer*>(opaque);
    std::size_t length = size * count;
    self->lastActivity_ = Clock::now();
    if (self->body_.size() + length > maximumBodyBytes) {
        self->abortReason_ = URLError::Code::dataLengthExceedsMaximum;
        return CURL_WRITEFUNC_ERROR;
    }
    self->body_.insert(self->body_.end(), bytes, bytes + length);
    return length;
}

std::size_t Transfer::onHeader(char* bytes, std::size_t size, std::size_t count, void* opaque) {
    auto* self = static_cast<Transfer*>(opaque);
    std::size_t length = size * count;
    self->lastActivity_ = Clock::now();
    self->headerBytes_ += length;
    if (self->headerBytes_ > maximumHeaderBytes || ++self->headerCount_ > maximumHeaderCount) {
        self->abortReason_ = URLError::Code::badServerResponse;
        return CURL_WRITEFUNC_ERROR;
    }
    return self->acceptHeaderLine(std::string_view(bytes, length)) ? length : CURL_WRITEFUNC_ERROR;
}

bool Transfer::acceptHeaderLine(std::string_view line) {
    if (line.starts_with("HTTP/")) {
        headers_.clear(); // an interim answer (100 Continue) or a new hop starts over
        return true;
    }
    if (!line.empty() && (line.front() == ' ' || line.front() == '\t')) {
        if (!headers_.empty()) { // obsolete line folding continues the previous value
            headers_.back().second += " ";
            headers_.back().second += trimmed(line);
        }
        return true;
    }
    auto colon = line.find(':');
    if (colon == std::string_view::npos) {
        return true; // the blank line that ends the block, or junk libcurl would reject
    }
    headers_.emplace_back(std::string(trimmed(line.substr(0, colon))),
                          std::string(trimmed(line.substr(colon + 1))));
    return true;
}

int Transfer::onProgress(void* opaque, curl_off_t, curl_off_t dlNow, curl_off_t, curl_off_t ulNow) {
    auto* self = static_cast<Transfer*>(opaque);
    if (dlNow != self->lastDownloaded_ || ulNow != self->lastUploaded_) {
        self->lastDownloaded_ = dlNow;
        self->lastUploaded_ = ulNow;
        self->lastActivity_ = Clock::now();
    }
    return 0;
}

Transfer::Outcome Transfer::finish(CURLcode result) {
    Outcome outcome;
    if (abortReason_) {
        outcome.error = abortReason_;
    } else if (result != CURLE_OK) {
        outcome.error = urlErrorCode(result);
    }
    long status = 0;
    curl_easy_getinfo(easy_.get(), CURLINFO_RESPONSE_CODE, &status);
    outcome.statusCode = static_cast<int>(status);
    outcome.headers = std::move(headers_);
    outcome.body = std::move(body_);
    return outcome;
}

} // namespace platform::net
