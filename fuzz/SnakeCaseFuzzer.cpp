// convertFromSnakeCase on arbitrary bytes, invalid UTF-8 included. The properties are the ones
// the decoder's key matching rests on: outer underscores stay, nothing with no inner underscore
// changes, no inner underscore survives (so converting twice is converting once), valid UTF-8
// stays valid, no letter is lost or invented (the same text with case ignored), and on ASCII
// keys the result is exactly that of a plain reference.
#include "fuzz/FuzzCheck.h"
#include "fuzz/Utf8.h"
#include "platform/coding/SnakeCase.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <unicode/locid.h>
#include <unicode/unistr.h>

namespace {

using namespace fuzz;

bool isAscii(std::string_view text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return false;
        }
    }
    return true;
}

// ASCII marks Unicode calls case-ignorable: a capitalised word carries its state across them.
bool isCaseIgnorableAscii(char c) {
    return c == '\'' || c == '.' || c == ':' || c == '^' || c == '`';
}

std::string asciiReference(std::string_view key) {
    std::size_t first = key.find_first_not_of('_');
    if (first == std::string_view::npos) {
        return std::string(key);
    }
    std::size_t last = key.find_last_not_of('_');
    std::string_view middle = key.substr(first, last - first + 1);
    if (middle.find('_') == std::string_view::npos) {
        return std::string(key);
    }
    std::string out(key.substr(0, first));
    bool firstWord = true;
    bool lastCased = false;
    for (std::size_t i = 0; i < middle.size(); ++i) {
        char c = middle[i];
        if (c == '_') {
            firstWord = false;
            lastCased = false;
            continue;
        }
        bool upper = c >= 'A' && c <= 'Z';
        bool lower = c >= 'a' && c <= 'z';
        if (firstWord) {
            out += upper ? char(c - 'A' + 'a') : c;
        } else if (upper) {
            out += lastCased ? char(c - 'A' + 'a') : c;
        } else if (lower) {
            out += lastCased ? c : char(c - 'a' + 'A');
        } else {
            out += c;
        }
        if (!firstWord) {
            lastCased = upper || lower || (lastCased && isCaseIgnorableAscii(c));
        }
    }
    return out + std::string(key.substr(last + 1));
}

// Case-blind text: uppercased first, as folding alone tells a titlecased dotless i from it.
std::string caseBlind(std::string_view text) {
    std::string out;
    icu::UnicodeString::fromUTF8(icu::StringPiece(text.data(), int32_t(text.size())))
        .toUpper(icu::Locale::getRoot())
        .foldCase()
        .toUTF8String(out);
    return out;
}

std::string withoutUnderscores(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c != '_') {
            out += c;
        }
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view key(reinterpret_cast<const char*>(data), size);
    std::string converted = platform::coding::convertFromSnakeCase(key);
    require(platform::coding::convertFromSnakeCase(converted) == converted,
            "converting twice differs from converting once", converted);

    std::size_t first = key.find_first_not_of('_');
    if (first == std::string_view::npos) {
        require(converted == key, "a key of underscores changed", converted);
        return 0;
    }
    std::size_t leading = first;
    std::size_t trailing = key.size() - 1 - key.find_last_not_of('_');
    std::string_view middle = key.substr(leading, key.size() - leading - trailing);
    if (middle.find('_') == std::string_view::npos) {
        require(converted == key, "a key with no inner underscore changed", converted);
        return 0;
    }

    require(converted.size() > leading + trailing, "the words of a key vanished", converted);
    std::string_view outer(converted);
    require(outer.substr(0, leading) == key.substr(0, leading) &&
                outer.substr(outer.size() - trailing) == key.substr(key.size() - trailing),
            "outer underscores were not kept", converted);
    std::string_view words = outer.substr(leading, outer.size() - leading - trailing);
    require(words.front() != '_' && words.back() != '_' &&
                words.find('_') == std::string_view::npos,
            "an inner underscore survived", converted);

    if (isAscii(key)) {
        require(converted == asciiReference(key), "ASCII key differs from the reference",
                converted + " != " + asciiReference(key));
    }
    if (isValidUtf8(key)) {
        require(isValidUtf8(converted), "valid UTF-8 in, invalid out", converted);
        require(caseBlind(words) == caseBlind(withoutUnderscores(middle)),
                "letters were lost or invented", converted);
    }
    return 0;
}
