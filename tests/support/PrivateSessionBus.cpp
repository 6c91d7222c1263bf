#include "tests/support/PrivateSessionBus.h"

#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <unistd.h>

namespace trelvo::test {

namespace {

constexpr const char* config = R"(<!DOCTYPE busconfig PUBLIC
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
)";

std::filesystem::path uniqueConfig() {
    static int made = 0;
    return std::filesystem::temp_directory_path() /
           ("notify-bus-" + std::to_string(getpid()) + "-" + std::to_string(++made) + ".conf");
}

} // namespace

PrivateSessionBus::PrivateSessionBus()
    : config_(uniqueConfig()) {
    std::ofstream(config_) << config;
    auto option = "--config-file=" + config_.string();
    g_autoptr(GError) error = nullptr;
    daemon_ = g_subprocess_new(static_cast<GSubprocessFlags>(G_SUBPROCESS_FLAGS_STDOUT_PIPE |
                                                             G_SUBPROCESS_FLAGS_STDERR_SILENCE),
                               &error, "dbus-daemon", option.c_str(), "--print-address", "--nofork",
                               nullptr);
    if (!daemon_) {
        throw std::runtime_error(std::string("dbus-daemon did not start: ") + error->message);
    }
    g_autoptr(GDataInputStream) out =
        g_data_input_stream_new(g_subprocess_get_stdout_pipe(daemon_));
    g_autofree gchar* line = g_data_input_stream_read_line(out, nullptr, nullptr, &error);
    if (!line) {
        throw std::runtime_error("dbus-daemon printed no address");
    }
    address_ = line;
    setenv("DBUS_SESSION_BUS_ADDRESS", address_.c_str(), 1);
}

PrivateSessionBus::~PrivateSessionBus() {
    unsetenv("DBUS_SESSION_BUS_ADDRESS");
    g_subprocess_force_exit(daemon_);
    g_subprocess_wait(daemon_, nullptr, nullptr);
    g_object_unref(daemon_);
    std::filesystem::remove(config_);
}

} // namespace trelvo::test
