#include "platform/coding/JSONParser.h"

#include <algorithm>
#include <nlohmann/json.hpp>
#include <optional>

namespace platform::coding {
namespace {

using nlohmann::json;

struct Failure {
    std::size_t index = 0;
    std::string reason;
};

// Builds our tree from the parser's events. The parser itself keeps no recursion of its own, and
// refusing an open bracket beyond the limit stops it at once.
class TreeBuilder {
public:
    bool null() { return add(JSONValue{JSONNull{}}); }
    bool boolean(bool value) { return add(JSONValue{value}); }
    bool number_integer(json::number_integer_t value) {
        return add(JSONValue{JSONNumber{value, std::to_string(value)}});
    }
    bool number_unsigned(json::number_unsigned_t value) {
        return add(JSONValue{JSONNumber{value, std::to_string(value)}});
    }
    bool number_float(json::number_float_t value, const std::string& text) {
        return add(JSONValue{JSONNumber{value, withDecimalPoint(text)}});
    }
    bool string(std::string& value) { return add(JSONValue{std::move(value)}); }
    bool binary(json::binary_t&) { return false; }
    bool key(std::string& name) {
        pendingName_ = std::move(name);
        return true;
    }
    bool start_object(std::size_t) { return open(JSONValue{JSONObject{}}); }
    bool start_array(std::size_t) { return open(JSONValue{JSONArray{}}); }
    bool end_object() { return close(); }
    bool end_array() { return close(); }
    bool parse_error(std::size_t position, const std::string& lastToken,
                     const nlohmann::detail::exception& error) {
        failure_ = Failure{position > 0 ? position - 1 : 0, reason(error.what(), lastToken)};
        return false;
    }

    bool tooDeep() const { return tooDeep_; }
    const std::optional<Failure>& failure() const { return failure_; }
    JSONValue takeRoot() { return std::move(root_); }

private:
    // The parser writes the locale's decimal point; the text we keep is JSON's.
    static std::string withDecimalPoint(std::string text) {
        for (char& c : text) {
            bool jsonNumberChar =
                (c >= '0' && c <= '9') || c == '-' || c == '+' || c == 'e' || c == 'E';
            if (!jsonNumberChar) {
                c = '.';
            }
        }
        return text;
    }

    // The parser's reason without its prefix, position and the echoed input, which may hold
    // anything at all.
    static std::string reason(std::string message, const std::string& lastToken) {
        if (message.starts_with("[json.exception.")) {
            message.erase(0, message.find("] ") + 2);
        }
        if (message.starts_with("parse error")) {
            auto colon = message.find(": ");
            message.erase(0, colon == std::string::npos ? 0 : colon + 2);
        }
        std::string echo = "; last read: '" + lastToken + "'";
        if (auto at = message.find(echo); at != std::string::npos) {
            message.erase(at, echo.size());
        }
        if (!message.empty() && message[0] >= 'a' && message[0] <= 'z') {
            message[0] = static_cast<char>(message[0] - 'a' + 'A');
        }
        return message;
    }

    bool add(JSONValue value) {
        if (stack_.empty()) {
            root_ = std::move(value);
            return true;
        }
        JSONValue& parent = *stack_.back();
        if (auto* object = std::get_if<JSONObject>(&parent.storage)) {
            object->push_back(JSONMember{std::move(pendingName_), std::move(value)});
            return true;
        }
        std::get<JSONArray>(parent.storage).push_back(std::move(value));
        return true;
    }

    JSONValue* last() {
        if (stack_.empty()) {
            return &root_;
        }
        JSONValue& parent = *stack_.back();
        if (auto* object = std::get_if<JSONObject>(&parent.storage)) {
            return &object->back().value;
        }
        return &std::get<JSONArray>(parent.storage).back();
    }

    // Each open container is the last element of its parent, which grows only after it closes,
    // so the pointers on the stack stay valid.
    bool open(JSONValue container) {
        if (stack_.size() >= maximumJSONDepth) {
            tooDeep_ = true;
            return false;
        }
        add(std::move(container));
        stack_.push_back(last());
        return true;
    }

    bool close() {
        stack_.pop_back();
        return true;
    }

    JSONValue root_;
    std::vector<JSONValue*> stack_;
    std::string pendingName_;
    bool tooDeep_ = false;
    std::optional<Failure> failure_;
};

// Where the first bracket beyond the limit stands; the text up to it was valid JSON.
std::size_t nestingOverflowIndex(std::string_view bytes) {
    std::size_t depth = 0;
    bool inString = false;
    bool escaped = false;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        char c = bytes[i];
        if (inString) {
            if (escaped) {
                escaped = false;
            } else if (c == '\\') {
                escaped = true;
            } else if (c == '"') {
                inString = false;
            }
        } else if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            if (++depth > maximumJSONDepth) {
                return i;
            }
        } else if ((c == ']' || c == '}') && depth > 0) {
            --depth;
        }
    }
    return bytes.size();
}

DecodingError invalidJSON(std::string reason, std::size_t index) {
    return DecodingError::dataCorrupted(
        {{},
         "The given data was not valid JSON.",
         UnderlyingError{"NSCocoaErrorDomain", 3840,
                         reason + " around character " + std::to_string(index) + "."}});
}

} // namespace

foundation::Expected<JSONValue, DecodingError> parseJSON(std::string_view bytes) {
    TreeBuilder builder;
    const char* begin = bytes.empty() ? "" : bytes.data();
    if (json::sax_parse(begin, begin + bytes.size(), &builder)) {
        // The parser takes a NUL byte between tokens for the end of the input, so "{}\0..." would
        // pass with anything at all after it. A NUL is never valid JSON, in a string or out.
        if (auto nul = bytes.find('\0'); nul != std::string_view::npos) {
            return foundation::Unexpected{invalidJSON(
                "Syntax error while parsing value - unexpected NUL byte; expected end of input",
                nul)};
        }
        return builder.takeRoot();
    }
    if (builder.tooDeep()) {
        return foundation::Unexpected{
            invalidJSON("Too many nested arrays or dictionaries", nestingOverflowIndex(bytes))};
    }
    if (const auto& failure = builder.failure()) {
        return foundation::Unexpected{
            invalidJSON(failure->reason, std::min(failure->index, bytes.size()))};
    }
    return foundation::Unexpected{invalidJSON("Invalid value", 0)};
}

} // namespace platform::coding
