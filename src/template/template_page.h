#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "model/parameter_set.h"
#include "print/page_mark.h"
#include "print/print_device.h"

namespace veltrane {

/// The template's page lies across the sheet.
inline constexpr Orientation template_orientation = Orientation::landscape;

/// Prints the arc alignment template for a computed parameter set on one landscape page
/// of the device `open` chooses; nothing when it chooses none.
void print_template_page(const ParameterSet& set, const PrintOpener& open);

/// A mark of the template that its user needs ("the pivot cross").
using TemplateMark = PageMark;

/// Where the marks a user needs land for `set`: the reference lines as far as the 200 mm
/// ticks they are measured to, the ticks, the frame's crosses (their centres with 1 mm of
/// every arm, enough to lay a rule on), the pivot cross and its label, the two null grids
/// (with their radius lines) and the block of value lines, from the numbers the page draws
/// with. A text's box is its cell
/// by the face's advance widths (print/text_extent.h). A mark whose place is not a finite
/// number is left out, as the page leaves it out.
std::vector<TemplateMark> template_marks(const ParameterSet& set);

}  // namespace veltrane
