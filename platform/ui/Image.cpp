#include "platform/ui/Image.h"

#include "platform/ui/ViewNode.h"

namespace platform::ui {

Image::Image(std::string name)
    : View(std::make_shared<const detail::Node>(
          detail::Node{detail::ImageNode{std::move(name), {}}})) {}

Image::Image(std::string name, std::filesystem::path bundleDirectory)
    : View(std::make_shared<const detail::Node>(
          detail::Node{detail::ImageNode{std::move(name), std::move(bundleDirectory)}})) {}

} // namespace platform::ui
