#pragma once

#include <string_view>

#include "print/print_device.h"

namespace veltrane {

/// The advance width of a line of text in the pages' face ("Arial", or the metrically
/// equal face a system puts in its place), in ems: the face's widths for ASCII and the few
/// other characters the pages draw (°, Ö, ö, en dash, minus sign), a whole em for any other
/// character, so that the estimate errs on the wide side.
double text_width_em(std::string_view utf8);

/// The height of a text's cell (ascent and descent of the face), in ems.
inline constexpr double text_cell_height_em = 1.117;

/// The em of `font` on paper in millimetres, by the same rule the devices realise it with.
double font_em_mm(const PrintFont& font);

}  // namespace veltrane
