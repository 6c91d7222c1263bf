#include "tools/demo-service/BasicAuth.h"

#include <algorithm>
#include <cctype>
#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <optional>
#include <string>

namespace trelvo::demo {
namespace {

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    return text;
}

std::optional<std::string> decodeBase64(std::string_view text) {
    if (text.empty() || text.size() % 4 != 0) {
        return std::nullopt;
    }
    std::string decoded(text.size() / 4 * 3, '\0');
    const int length = EVP_DecodeBlock(reinterpret_cast<unsigned char*>(decoded.data()),
                                       reinterpret_cast<const unsigned char*>(text.data()),
                                       static_cast<int>(text.size()));
    if (length < 0) {
        return std::nullopt;
    }
    // EVP_DecodeBlock counts the padding as zero bytes.
    const auto padding = static_cast<std::size_t>(std::count(text.end() - 2, text.end(), '='));
    decoded.resize(static_cast<std::size_t>(length) - padding);
    return decoded;
}

} // namespace

bool hasCredentials(std::string_view authorizationHeader, std::string_view user,
                    std::string_view password) {
    const std::string_view header = trimmed(authorizationHeader);
    constexpr std::string_view scheme = "basic ";
    if (header.size() <= scheme.size() ||
        !std::equal(scheme.begin(), scheme.end(), header.begin(), [](char a, char b) {
            return a == std::tolower(static_cast<unsigned char>(b));
        })) {
        return false;
    }
    const auto decoded = decodeBase64(trimmed(header.substr(scheme.size())));
    const std::string expected = std::string(user) + ":" + std::string(password);
    if (!decoded || decoded->size() != expected.size()) {
        return false;
    }
    return CRYPTO_memcmp(decoded->data(), expected.data(), expected.size()) == 0;
}

} // namespace trelvo::demo
