#pragma once

// Where the demo service writes its request log: one JSON line per request, flushed at once.
//   auto log = RequestLogFile::open("-");          // standard output; or a file path
//   options.onRequest = [log = *log](const RecordedRequest& r) { log->write(r); };

#include "tools/demo-service/Certificates.h"
#include "tools/demo-service/RecordedRequest.h"

#include <cstdio>
#include <memory>
#include <mutex>
#include <string>

namespace trelvo::demo {

class RequestLogFile {
    using FilePtr = std::unique_ptr<FILE, FreeWith<std::fclose>>;

public:
    // Appends to an existing file.
    static Result<std::shared_ptr<RequestLogFile>> open(const std::string& target);
    explicit RequestLogFile(FilePtr file);
    RequestLogFile(const RequestLogFile&) = delete;
    RequestLogFile& operator=(const RequestLogFile&) = delete;

    // Called from the server's worker threads; lines never interleave.
    void write(const RecordedRequest& request);

private:
    std::mutex mutex_;
    FilePtr owned_;
    FILE* file_;
};

} // namespace trelvo::demo
