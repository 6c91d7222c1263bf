#pragma once

// One request as a server received it: what the request log writes and what tests assert on.
//   if (auto auth = request.header("authorization")) { ... }

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace trelvo::demo {

struct RecordedRequest {
    std::string method;
    std::string path;
    std::vector<std::pair<std::string, std::string>> headers; // by name, as the server keeps them

    // The first header of that name, compared without regard to case.
    std::optional<std::string> header(std::string_view name) const;
};

// {"method":"GET","path":"/","headers":[["Host","..."],...]} on one line, no newline.
std::string toJSONLine(const RecordedRequest& request);

} // namespace trelvo::demo
