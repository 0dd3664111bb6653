#pragma once

#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "app/window_fields.h"
#include "model/strobe_speed.h"

namespace veltrane {

/// strobe speed's options as given: --rpm OUTER[,INNER] and --hz F.
struct StrobeSpeedArguments {
  std::optional<std::string> rpm;
  std::string hz = "50";
};

/// The outer ring, and the inner one when two speeds are given. Throws UsageError for a
/// missing --rpm, a speed or frequency that is not a finite number above 0, or a ring that
/// would have no bar or more bars than a count holds.
std::vector<StrobeRing> strobe_speed_rings(const StrobeSpeedArguments& arguments);

/// The PDF and SVG title: "Strobe disk 78 RPM, 50 Hz", "Strobe disk 45 and 16 2/3 RPM, 60 Hz".
std::string strobe_speed_page_title(std::span<const StrobeRing> rings);

/// One describe_strobe_ring line per ring.
void report_strobe_rings(std::span<const StrobeRing> rings, std::ostream& err);

}  // namespace veltrane
