// Decodes arbitrary bytes as the version service's answer: the one required text "version".
// Beyond the decoder's general promises (see ResultsModelFuzzer.cpp), the text is taken from the
// member named exactly "version" and from nowhere else, whole and as valid UTF-8, and the
// record's own description holds no control character whatever the text holds.
#include "fuzz/DecoderOracle.h"
#include "fuzz/Utf8.h"

#include <cstddef>
#include <cstdint>
#include <string>

#if TRELVO_FUZZ_APP_VERSION_MODEL
#include "app/AppVersionModel.h"
#else
#include "platform/coding/CodingKey.h"
#include "platform/coding/Decoder.h"

#include <array>
#include <string_view>

// Shaped like the app's record: one required text under the key "version".
struct AppVersionModel {
    std::string version = "0";

    struct CodingKeyTable {
        enum Value { version };
        static constexpr std::array<std::string_view, 1> stringValues{"version"};
    };
    using CodingKeys = platform::coding::StringCodingKey<CodingKeyTable>;

    static AppVersionModel decode(platform::coding::Decoder& decoder) {
        auto container = decoder.container<CodingKeys>();
        return AppVersionModel{container.decode<std::string>(CodingKeys::version)};
    }
};
#endif

namespace {

using namespace fuzz;

std::string bodyWith(std::string_view name, const std::string& version) {
    nlohmann::json body = nlohmann::json::object();
    body[std::string(name)] = version;
    return body.dump();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const JSONDecoder decoder = snakeCaseDecoder();
    auto model = decodeOrDie<AppVersionModel>(decoder, bytes);
    ReferenceParse reference = referenceParse(bytes);
    const nlohmann::json* document = reference.document ? &*reference.document : nullptr;
    const nlohmann::json* member = nullptr;
    if (document && document->is_object() && document->contains("version")) {
        member = &(*document)["version"];
    }

    if (!model) {
        const DecodingError& error = model.error();
        requireConsistentFailure(error, reference, Charset::printableAscii);
        std::string line = error.description();
        require(!member || !member->is_string(), "a string member \"version\" failed to decode",
                line);
        if (error.kind == DecodingError::Kind::keyNotFound) {
            require(document && document->is_object() && !member,
                    "keyNotFound although \"version\" is there", line);
        }
        return 0;
    }

    const std::string& version = model->version;
    require(member && member->is_string() && member->get<std::string>() == version,
            "the version is not the text of the member \"version\"", version);
    require(isValidUtf8(version), "the version is not valid UTF-8", version);
    if constexpr (requires { model->description(); }) {
        requireOneLogLine(model->description(), Charset::anyUnicode);
    }

    auto again = decodeOrDie<AppVersionModel>(decoder, bodyWith("version", version));
    require(again && again->version == version, "the version's own body decoded differently",
            version);

    // Only the exact name is taken: nothing converts to "version" but "version".
    for (std::string_view other : {"Version", "_version", "version_", "ver_sion", "VERSION"}) {
        auto wrong = decodeOrDie<AppVersionModel>(decoder, bodyWith(other, version));
        require(!wrong && wrong.error().kind == DecodingError::Kind::keyNotFound,
                "a member not named \"version\" was taken", other);
    }
    return 0;
}
