#include "platform/ui/SvgDocument.h"

#include "platform/foundation/LoadableModule.h"

namespace platform::ui {

foundation::Expected<std::unique_ptr<SvgDocument>, std::string>
openSvgDocument(const std::filesystem::path& file) {
    auto entry = foundation::moduleSymbol(svgDocumentModule, svgDocumentEntry);
    if (!entry) {
        return foundation::Unexpected{entry.error()};
    }
    return (*static_cast<const OpenSvgDocument*>(*entry))(file);
}

} // namespace platform::ui
