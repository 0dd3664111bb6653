#pragma once

#include <cstddef>
#include <span>

namespace veltrane {

/// A point on a raster, in dots from its top-left corner.
struct RasterPoint {
  double x = 0;
  double y = 0;
};

/// An eight-bit grey raster: `height` rows of `width` dots, each row `stride` bytes after
/// the one before; 0 is black and 255 white.
struct GreyRaster {
  unsigned char* bits = nullptr;
  int width = 0;
  int height = 0;
  std::ptrdiff_t stride = 0;
};

/// Paints the closed polygon `corners` black over `raster` as an antialiasing painter
/// does: each dot is darkened by the share of its area the polygon covers, exactly when
/// the polygon's sides do not cross (where they do, the non-zero rule decides what is in).
/// Dot (x, y) is the unit square with its top-left corner at (x, y). What lies outside the
/// raster is cut off. False, with nothing painted, when a corner is not within 2^30 dots
/// of the origin (or not a number).
bool ink_polygon(const GreyRaster& raster, std::span<const RasterPoint> corners);

}  // namespace veltrane
