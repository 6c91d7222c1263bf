#include "platform/coding/SnakeCase.h"

#include <unicode/bytestream.h>
#include <unicode/casemap.h>
#include <unicode/stringoptions.h>
#include <unicode/uchar.h>
#include <unicode/utf8.h>
#include <vector>

namespace platform::coding {
namespace {

bool isAscii(std::string_view text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return false;
        }
    }
    return true;
}

// Root-locale mappings, so the user's language (Turkish dotless i) never changes which keys match.
std::string lowercased(std::string_view text) {
    if (isAscii(text)) {
        std::string result(text);
        for (char& c : result) {
            if (c >= 'A' && c <= 'Z') {
                c = static_cast<char>(c - 'A' + 'a');
            }
        }
        return result;
    }
    std::string result;
    icu::StringByteSink<std::string> sink(&result);
    UErrorCode status = U_ZERO_ERROR;
    icu::CaseMap::utf8ToLower("", 0, icu::StringPiece(text.data(), int32_t(text.size())), sink,
                              nullptr, status);
    return U_SUCCESS(status) ? result : std::string(text);
}

std::string titlecased(std::string_view scalar) {
    if (scalar.size() == 1) {
        char c = scalar.front();
        return std::string(1, (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c);
    }
    std::string result;
    icu::StringByteSink<std::string> sink(&result);
    UErrorCode status = U_ZERO_ERROR;
    icu::CaseMap::utf8ToTitle("", U_TITLECASE_WHOLE_STRING | U_TITLECASE_NO_BREAK_ADJUSTMENT,
                              nullptr, icu::StringPiece(scalar.data(), int32_t(scalar.size())),
                              sink, nullptr, status);
    return U_SUCCESS(status) ? result : std::string(scalar);
}

// Per scalar, as the platform capitalises: the state carries across case-ignorable marks.
std::string capitalized(std::string_view word) {
    std::string result;
    bool lastCased = false;
    int32_t offset = 0;
    const auto* bytes = reinterpret_cast<const uint8_t*>(word.data());
    const auto length = static_cast<int32_t>(word.size());
    while (offset < length) {
        int32_t start = offset;
        UChar32 scalar;
        U8_NEXT(bytes, offset, length, scalar);
        std::string_view text = word.substr(size_t(start), size_t(offset - start));
        if (scalar >= 0 && u_isupper(scalar)) {
            result += lastCased ? lowercased(text) : std::string(text);
            lastCased = true;
        } else if (scalar >= 0 && u_islower(scalar)) {
            result += lastCased ? std::string(text) : titlecased(text);
            lastCased = true;
        } else {
            result += text;
            if (scalar < 0 || !u_hasBinaryProperty(scalar, UCHAR_CASE_IGNORABLE)) {
                lastCased = false;
            }
        }
    }
    return result;
}

std::vector<std::string_view> wordsBetweenUnderscores(std::string_view text) {
    std::vector<std::string_view> words;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('_', start);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        if (end > start) {
            words.push_back(text.substr(start, end - start));
        }
        start = end + 1;
    }
    return words;
}

} // namespace

std::string convertFromSnakeCase(std::string_view key) {
    size_t first = key.find_first_not_of('_');
    if (first == std::string_view::npos) {
        return std::string(key);
    }
    size_t last = key.find_last_not_of('_');
    std::string_view middle = key.substr(first, last - first + 1);
    auto words = wordsBetweenUnderscores(middle);
    if (words.size() == 1) {
        return std::string(key);
    }
    std::string result(key.substr(0, first));
    result += lowercased(words.front());
    for (size_t i = 1; i < words.size(); ++i) {
        result += capitalized(words[i]);
    }
    result += key.substr(last + 1);
    return result;
}

} // namespace platform::coding
