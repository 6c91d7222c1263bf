#pragma once

// Sets (or unsets) one environment variable for a scope and restores the old value after.
//   ScopedEnv trust("SSL_CERT_FILE", service.caFile());
//   ScopedEnv noProxy("https_proxy", std::nullopt);   // unset while in scope
// The environment is process-wide: set it before starting threads that read it.

#include <cstdlib>
#include <optional>
#include <string>

namespace trelvo::test {

class ScopedEnv {
public:
    ScopedEnv(std::string name, std::optional<std::string> value)
        : name_(std::move(name)) {
        if (const char* old = std::getenv(name_.c_str())) {
            previous_ = old;
        }
        apply(value);
    }
    ~ScopedEnv() { apply(previous_); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    void apply(const std::optional<std::string>& value) const {
        value ? ::setenv(name_.c_str(), value->c_str(), 1) : ::unsetenv(name_.c_str());
    }

    std::string name_;
    std::optional<std::string> previous_;
};

} // namespace trelvo::test
