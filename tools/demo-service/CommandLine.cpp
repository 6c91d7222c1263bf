#include "tools/demo-service/CommandLine.h"

#include <charconv>
#include <string_view>

namespace trelvo::demo {
namespace {

using platform::foundation::Unexpected;

std::optional<int> portNumber(std::string_view text) {
    int port = -1;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), port);
    if (error != std::errc() || end != text.data() + text.size() || port < 0 || port > 65535) {
        return std::nullopt;
    }
    return port;
}

} // namespace

std::string helpText() {
    return "Usage: trelvo-demo-service [OPTION]...\n"
           "Serves the Trelvo results API over HTTPS with Basic authentication\n"
           "(user \"demo\", password \"quillfen\"), for trying the widgets locally.\n"
           "\n"
           "  --host ADDRESS          address to listen on (default 127.0.0.1)\n"
           "  --port PORT             port to listen on (default 8443; 0 picks a free one)\n"
           "  --state-dir DIR         where the CA, the server certificate and stat.json live\n"
           "                          (default $XDG_STATE_HOME/trelvo-demo-service or\n"
           "                          ~/.local/state/trelvo-demo-service)\n"
           "  --stat FILE             JSON served by /api/v1/stat, re-read on every request\n"
           "                          (default DIR/stat.json)\n"
           "  --latest-version TEXT   version served by /api/v1/appLatestVersion (default 1.0.1)\n"
           "  --log FILE              write every request as one JSON line to FILE (- for\n"
           "                          standard output); the lines include the Authorization\n"
           "                          header, that is the credentials (default: no log)\n"
           "  --help                  show this help and exit\n"
           "\n"
           "Prints \"Serving on https://HOST:PORT\" and \"CA certificate: PATH\" once listening;\n"
           "point SSL_CERT_FILE at that CA to trust the service. Exits 2 when it cannot start.\n";
}

Result<CommandLine> parseCommandLine(int argc, const char* const* argv) {
    CommandLine line;
    for (int index = 1; index < argc; ++index) {
        const std::string_view option = argv[index];
        if (option == "--help" || option == "-h") {
            line.help = true;
            continue;
        }
        const auto equals = option.find('=');
        const std::string_view name = option.substr(0, equals);
        std::optional<std::string> value;
        if (equals != std::string_view::npos) {
            value = std::string(option.substr(equals + 1));
        } else if (index + 1 < argc) {
            value = argv[++index];
        }
        const bool known = name == "--host" || name == "--port" || name == "--state-dir" ||
                           name == "--stat" || name == "--latest-version" || name == "--log";
        if (!known) {
            return Unexpected{"unknown option " + std::string(option) + " (see --help)"};
        }
        if (!value) {
            return Unexpected{"option " + std::string(name) + " needs a value"};
        }
        if (name == "--host") {
            line.service.host = *value;
        } else if (name == "--port") {
            const auto port = portNumber(*value);
            if (!port) {
                return Unexpected{"--port needs a number from 0 to 65535, not " + *value};
            }
            line.service.port = *port;
        } else if (name == "--state-dir") {
            line.service.stateDirectory = *value;
        } else if (name == "--stat") {
            line.service.statFile = *value;
        } else if (name == "--latest-version") {
            line.service.latestVersion = *value;
        } else {
            line.log = *value;
        }
    }
    return line;
}

} // namespace trelvo::demo
