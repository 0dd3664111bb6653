#pragma once

#include <limits>
#include <string>
#include <string_view>

#include "print/print_device.h"

namespace veltrane {

/// A box on the sheet as printed: millimetres from the top-left corner of the printable
/// area, the correction factors applied.
struct MarkBox {
  double left_mm = 0, top_mm = 0, right_mm = 0, bottom_mm = 0;
};

/// A part of a page that its user needs, named as a message names it ("the pivot cross",
/// "the outer ring").
struct PageMark {
  std::string name;
  MarkBox box;
};

/// Where a mark reaches on the sheet, gathered point by point from the page's own numbers,
/// and whether every point of it was a finite number.
class MarkExtent {
 public:
  MarkExtent(double correction_x, double correction_y)
      : correction_x_(correction_x), correction_y_(correction_y) {}

  /// A page point lands on the sheet scaled by the correction factors, as the page scale
  /// scales it; the box stays the right way round whatever their signs.
  void point(double x_mm, double y_mm);

  /// A text's cell: its corner placed like any page point, its size the font's, which
  /// correction_y sets through the point size and correction_x does not touch.
  void text(double x_mm, double y_mm, std::string_view utf8, const PrintFont& font);

  bool finite() const { return finite_; }
  const MarkBox& box() const { return box_; }

 private:
  static constexpr double inf = std::numeric_limits<double>::infinity();
  void include(double x, double y);

  double correction_x_;
  double correction_y_;
  MarkBox box_{inf, inf, -inf, -inf};
  bool finite_ = true;
};

}  // namespace veltrane
