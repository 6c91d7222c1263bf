#include "app/BundleVersion.h"

#include "platform/foundation/Bundle.h"

std::string bundleShortVersion() {
    return platform::foundation::Bundle::main()
        .object("CFBundleShortVersionString")
        .value_or(std::string());
}
