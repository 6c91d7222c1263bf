#include "tools/demo-service/RecordedRequest.h"

#include <algorithm>
#include <cctype>
#include <nlohmann/json.hpp>

namespace trelvo::demo {
namespace {

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return std::ranges::equal(
        a, b, [](unsigned char x, unsigned char y) { return std::tolower(x) == std::tolower(y); });
}

} // namespace

std::optional<std::string> RecordedRequest::header(std::string_view name) const {
    for (const auto& [key, value] : headers) {
        if (equalsIgnoringCase(key, name)) {
            return value;
        }
    }
    return std::nullopt;
}

std::string toJSONLine(const RecordedRequest& request) {
    nlohmann::ordered_json headers = nlohmann::ordered_json::array();
    for (const auto& [name, value] : request.headers) {
        headers.push_back({name, value});
    }
    const nlohmann::ordered_json line{
        {"method", request.method}, {"path", request.path}, {"headers", headers}};
    // Bytes that are not UTF-8 are replaced instead of failing the whole line.
    return line.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

} // namespace trelvo::demo
