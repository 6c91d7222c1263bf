#include "platform/gallery/GalleryText.h"

#include "platform/foundation/Bundle.h"
#include "platform/foundation/Localization.h"

namespace platform::gallery {

std::string text(const char* key) {
    static const auto table = foundation::Localization::forBundle(foundation::Bundle::main());
    if (table) {
        if (auto translated = table->string(key)) {
            return *translated;
        }
    }
    return key;
}

} // namespace platform::gallery
