#pragma once

// Sets (or unsets) one environment variable for a scope and restores the old value after.
//   ScopedEnv trust("SSL_CERT_FILE", service.caFile());
//   ScopedEnv origin("TRELVO_SERVICE_URL", service.baseURL());
//   ScopedEnv noProxy("https_proxy", std::nullopt);   // unset while in scope
// The environment is process-wide: set it before starting threads that read it.

#include <optional>
#include <string>

namespace trelvo::test {

class ScopedEnv {
public:
    ScopedEnv(std::string name, std::optional<std::string> value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string name_;
    std::optional<std::string> previous_;
};

} // namespace trelvo::test
