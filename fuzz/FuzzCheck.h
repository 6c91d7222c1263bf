#pragma once

#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace fuzz {

// A broken invariant aborts, so libFuzzer keeps the input as a crash artifact.
[[noreturn]] inline void fail(std::string_view what, std::string_view detail = {}) {
    std::fprintf(stderr, "fuzz invariant broken: %.*s\n%.*s\n", int(what.size()), what.data(),
                 int(detail.size()), detail.data());
    std::abort();
}

inline void require(bool holds, std::string_view what, std::string_view detail = {}) {
    if (!holds) {
        fail(what, detail);
    }
}

} // namespace fuzz
