#include "platform/foundation/LoadableModule.h"

#include "platform/foundation/ProgramLookup.h"

#include <dlfcn.h>
#include <mutex>

namespace platform::foundation {
namespace {

std::mutex seamMutex;
std::optional<std::filesystem::path> folderOverride; // test seam

} // namespace

std::filesystem::path moduleFolder() {
    {
        std::lock_guard lock(seamMutex);
        if (folderOverride) {
            return *folderOverride;
        }
    }
    return (runningExecutable().parent_path() / TRELVO_MODULES_FROM_BIN).lexically_normal();
}

Expected<void*, std::string> moduleSymbol(std::string_view name, const char* symbol) {
    const auto file = moduleFolder() / (std::string(name) + ".so");
    // RTLD_LOCAL: the module's symbols stay its own. The handle is never closed.
    void* handle = ::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* why = ::dlerror();
        return Unexpected{"cannot load " + file.string() + (why ? std::string(": ") + why : "")};
    }
    ::dlerror();
    void* address = ::dlsym(handle, symbol);
    if (!address) {
        return Unexpected{file.string() + " has no " + symbol};
    }
    return address;
}

ScopedModuleFolder::ScopedModuleFolder(std::filesystem::path folder) {
    std::lock_guard lock(seamMutex);
    previous_ = folderOverride;
    folderOverride = std::move(folder);
}

ScopedModuleFolder::~ScopedModuleFolder() {
    std::lock_guard lock(seamMutex);
    folderOverride = previous_;
}

} // namespace platform::foundation
