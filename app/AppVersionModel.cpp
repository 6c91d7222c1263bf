#include "app/AppVersionModel.h"

#include "platform/foundation/Description.h"

AppVersionModel AppVersionModel::decode(platform::coding::Decoder& decoder) {
    auto container = decoder.container<CodingKeys>();
    return AppVersionModel{.version = container.decode<std::string>(CodingKeys::version)};
}

std::string AppVersionModel::description() const {
    return "AppVersionModel(version: " + platform::foundation::debugDescription(version) + ")";
}
