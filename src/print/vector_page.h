#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "print/ellipse_arcs.h"
#include "print/file_output.h"
#include "print/print_device.h"

namespace veltrane {

/// How far, in device dots, a written curve may stray from the true ellipse.
inline constexpr double vector_curve_tolerance_dots = 0.01;

/// One subpath in page dots.
struct DotPath {
  PathPoint start;
  std::vector<PathSegment> segments;
  bool closed = false;
};

/// The ellipse inscribed in the box with corners `p` and `q`, closed, within
/// `vector_curve_tolerance_dots`.
DotPath ellipse_curve(PathPoint p, PathPoint q);

/// The arc of that ellipse from where the ray at `start_rad` meets it to where the ray at
/// `end_rad` does, counter-clockwise on a page whose y grows downward (the ray at angle a
/// points along (cos a, -sin a)); rays that coincide give the whole ellipse.
DotPath arc_curve(PathPoint p, PathPoint q, double start_rad, double end_rad);

/// The same arc closed by the two radii through the centre: a wedge.
DotPath pie_curve(PathPoint p, PathPoint q, double start_rad, double end_rad);

/// How a path is painted: outlined with a round pen of `pen_dots` in `colour`, and filled in
/// the same colour when `filled`.
struct PathPaint {
  Colour colour = Colour::black;
  bool filled = false;
  int pen_dots = 1;
};

/// UTF-8 text in the bytes of the Windows-1252 (WinAnsi) encoding, as the files set it: the
/// minus sign as the hyphen-minus; '?' for any other character WinAnsi lacks, for controls
/// and for bytes that are no UTF-8.
std::string winansi_text(std::string_view utf8);

/// Where a writer draws a page: the sheet and the page's dots on it.
struct VectorSheet {
  double width_dots = 0;  ///< the sheet as oriented, at the page's resolution
  double height_dots = 0;
  double width_mm = 0;
  double height_mm = 0;
  double margin_dots = 0;  ///< where the page's origin lies from the sheet's top-left corner
  int dpi = 0;
};

/// What a vector writer does with a page's drawing, in the page's dots.
class VectorCanvas {
 public:
  virtual ~VectorCanvas() = default;
  virtual void path(const DotPath& path, const PathPaint& paint) = 0;
  /// A line of text in black starting at `baseline` on its baseline, in an em of `em_dots`.
  virtual void text(PathPoint baseline, int em_dots, bool italic, std::string_view utf8) = 0;
  /// The document's bytes, once the page is complete.
  virtual std::string finish(const VectorSheet& sheet, std::string_view title) = 0;
};

/// A device that hands every operation of a page to `canvas`, lines and outlines through
/// the centres of their dots as on a printer's raster, and writes the canvas's document into
/// `bytes` when closed.
std::unique_ptr<PrintDevice> make_vector_device(std::unique_ptr<VectorCanvas> canvas,
                                                const FileTarget& target, std::string& bytes,
                                                std::string_view title);

/// A number for a PDF or SVG file: fixed point, at most three decimals, no trailing zeros.
std::string number_text(double value);

}  // namespace veltrane
