#pragma once

#include "platform/foundation/Expected.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace platform::foundation {

// A part of the program built as its own shared object, so that a process which never uses it
// never loads its libraries: the desktop window's GTK stack, say, costs a file presenter nothing.
// Modules live in <folder of the executable>/../<libdir>/trelvo, in the build tree as when
// installed. A module is loaded on first use and stays: libraries like GTK cannot be unloaded.
//
// The address of `symbol` in the module `<name>.so`, or why there is none.
Expected<void*, std::string> moduleSymbol(std::string_view name, const char* symbol);

// Where modules are looked for.
std::filesystem::path moduleFolder();

// Looks for modules in another folder while alive (tests, whose executables sit elsewhere).
class ScopedModuleFolder {
public:
    explicit ScopedModuleFolder(std::filesystem::path folder);
    ~ScopedModuleFolder();
    ScopedModuleFolder(const ScopedModuleFolder&) = delete;
    ScopedModuleFolder& operator=(const ScopedModuleFolder&) = delete;

private:
    std::optional<std::filesystem::path> previous_;
};

} // namespace platform::foundation
