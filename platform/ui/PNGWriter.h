#pragma once

#include "platform/foundation/Expected.h"

#include <cairo.h>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace platform::ui {

// Encodes an ARGB32 image surface as an RGBA PNG through libpng (filter NONE, fast zlib level):
// a few times quicker than cairo_surface_write_to_png for a widget-sized picture.
foundation::Expected<std::vector<std::uint8_t>, std::string> encodePNG(cairo_surface_t* image);
// Writes the PNG to a file, replacing it atomically (a reader sees the old or the new picture).
foundation::Expected<std::filesystem::path, std::string>
writePNG(cairo_surface_t* image, const std::filesystem::path& file);

// Writes bytes to a file through a temporary in the same folder and a rename.
foundation::Expected<std::filesystem::path, std::string>
replaceFileAtomically(const std::filesystem::path& file, const std::vector<std::uint8_t>& bytes);

} // namespace platform::ui
