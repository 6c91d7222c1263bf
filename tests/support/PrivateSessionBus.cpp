#include "tests/support/PrivateSessionBus.h"

#include "tests/support/TestFiles.h"

#include <csignal>
#include <stdexcept>

namespace trelvo::test {

std::vector<std::string> busDaemonCommand(const std::filesystem::path& folder) {
    static int made = 0;
    const auto config = folder / ("bus-" + std::to_string(++made) + ".conf");
    // A session bus's policy, without the service folders a real one would start programs from.
    writeFile(config, R"(<!DOCTYPE busconfig PUBLIC
 "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:tmpdir=/tmp</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
)");
    return {"dbus-daemon", "--config-file=" + config.string(), "--nofork", "--nopidfile",
            "--print-address=1"};
}

PrivateSessionBus::PrivateSessionBus()
    : daemon_(busDaemonCommand(folder_.path()), folder_.path()) {
    address_ = daemon_.waitForLine("", std::chrono::seconds(10)).value_or("");
    if (address_.empty()) {
        throw std::runtime_error("dbus-daemon did not start: " + daemon_.errors());
    }
    setenv("DBUS_SESSION_BUS_ADDRESS", address_.c_str(), 1);
}

PrivateSessionBus::~PrivateSessionBus() {
    unsetenv("DBUS_SESSION_BUS_ADDRESS");
    daemon_.signal(SIGTERM);
    daemon_.waitForExit(std::chrono::seconds(5));
}

} // namespace trelvo::test
