#include "platform/foundation/LoadableModule.h"

#include <gtest/gtest.h>

// Fontconfig keeps its configuration and pattern caches until the process ends (Pango holds them
// through its per-thread font map): LeakSanitizer would report them after every test that
// shapes text. Read only by sanitizer builds; it lives beside main() so every suite links it.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    // Test executables sit deeper in the build tree than the programs the modules are beside.
    const platform::foundation::ScopedModuleFolder modules(TRELVO_MODULE_DIR);
    return RUN_ALL_TESTS();
}
