#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "app/window_fields.h"
#include "model/parameter_set.h"
#include "model/strobe_speed.h"

namespace veltrane {

// What each page written as a file (by veltrane-cli, or downloaded from the web page) is
// called in its PDF and SVG title. (The window's printer
// jobs keep the name "Print Job".)

/// "Arc template 209 mm, Löfgren A": the pivot-to-spindle distance as the template's value
/// line has it, less its trailing zeros, and the alignment (left out for an unknown code).
std::string template_page_title(const ParameterSet& set);

/// The same with `name` in place of the alignment's: "Arc template 209 mm, Your arm's optimum
/// (peak)".
std::string template_page_title(const ParameterSet& set, std::string_view name);

/// "Alignment analysis 209 mm": the chart of the three alignments for one pivot distance.
std::string analysis_page_title(const ParameterSet& set);

/// "Strobe disk 50 Hz": a standard disk, by the mains frequency it is for.
std::string standard_strobe_page_title(int mains_hz);

/// "Strobe disk 100/72 bars": a custom disk, by its outer and inner bar counts.
std::string custom_strobe_page_title(std::int32_t outer_bars, std::int32_t inner_bars);

/// "Strobe disk 78 RPM, 50 Hz", "Strobe disk 45 and 16 2/3 RPM, 60 Hz": a disk for speeds.
std::string strobe_speed_page_title(std::span<const StrobeRing> rings);

/// The custom strobe dialog's fields that draw the rings: their counts and captions; without
/// an inner ring, that ring gets no bars and a blank caption.
CustomStrobeFields custom_strobe_fields_for(std::span<const StrobeRing> rings);

}  // namespace veltrane
