#pragma once

#include "platform/foundation/Expected.h"
#include "platform/ui/CairoHandles.h"
#include "platform/ui/Canvas.h"
#include "platform/ui/DisplayList.h"
#include "platform/ui/Layout.h"
#include "platform/ui/Redaction.h"
#include "platform/ui/View.h"

#include <cairo.h>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace platform::ui {

// Draws a laid-out tree; the root is placed at its frame's origin.
void render(const LayoutNode& root, Canvas& canvas, Redaction redaction = Redaction::none);
void render(const LayoutNode& root, cairo_t* cr, Redaction redaction = Redaction::none);
// Lays the view out in an area of `points` (centred, as a window shows it) and draws it in cr's
// current transform: the caller scales cr for HiDPI (cairo_scale or a surface device scale).
void render(const View& view, cairo_t* cr, Size points, Redaction redaction = Redaction::none);

// A transparent ARGB32 image of ceil(points × scale) pixels with the view drawn in it.
foundation::Expected<SurfacePtr, std::string> renderToImage(const View& view, Size points,
                                                            double scale);
foundation::Expected<std::vector<std::uint8_t>, std::string> renderToPNG(const View& view,
                                                                         Size points, double scale);
// .png (at the scale), .svg or .pdf (vector, in points) by the file's extension; the file is
// replaced atomically.
foundation::Expected<std::filesystem::path, std::string>
renderToFile(const View& view, Size points, double scale, const std::filesystem::path& file);

// What the view draws in an area of `points`, recorded.
DisplayList record(const View& view, Size points, Redaction redaction = Redaction::none);

} // namespace platform::ui
