#include "print/page_mark.h"

#include <algorithm>
#include <cmath>

#include "print/text_extent.h"

namespace veltrane {

void MarkExtent::include(double x, double y) {
  finite_ = finite_ && std::isfinite(x) && std::isfinite(y);
  box_.left_mm = std::min(box_.left_mm, x);
  box_.right_mm = std::max(box_.right_mm, x);
  box_.top_mm = std::min(box_.top_mm, y);
  box_.bottom_mm = std::max(box_.bottom_mm, y);
}

void MarkExtent::point(double x_mm, double y_mm) {
  include(x_mm * correction_x_, y_mm * correction_y_);
}

void MarkExtent::text(double x_mm, double y_mm, std::string_view utf8, const PrintFont& font) {
  const double em = font_em_mm(font);
  const double left = x_mm * correction_x_;
  const double top = y_mm * correction_y_;
  include(left, top);
  include(left + text_width_em(utf8) * em, top + text_cell_height_em * em);
}

}  // namespace veltrane
