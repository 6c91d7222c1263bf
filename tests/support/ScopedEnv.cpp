#include "tests/support/ScopedEnv.h"

#include <cstdlib>

namespace trelvo::test {
namespace {

void apply(const std::string& name, const std::optional<std::string>& value) {
    if (value) {
        ::setenv(name.c_str(), value->c_str(), 1);
    } else {
        ::unsetenv(name.c_str());
    }
}

} // namespace

ScopedEnv::ScopedEnv(std::string name, std::optional<std::string> value)
    : name_(std::move(name)) {
    if (const char* old = std::getenv(name_.c_str())) {
        previous_ = old;
    }
    apply(name_, value);
}

ScopedEnv::~ScopedEnv() {
    apply(name_, previous_);
}

} // namespace trelvo::test
