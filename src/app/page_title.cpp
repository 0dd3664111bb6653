#include "app/page_title.h"

#include "model/alignments.h"
#include "model/number_format.h"

namespace veltrane {

std::string template_page_title(const ParameterSet& set) {
  return template_page_title(set, alignment_name(set.alignment));
}

std::string template_page_title(const ParameterSet& set, std::string_view name) {
  std::string title = "Arc template " + format_up_to_three_decimals(set.pivot_to_spindle) + " mm";
  if (!name.empty()) title += ", " + std::string(name);
  return title;
}

std::string analysis_page_title(const ParameterSet& set) {
  return "Alignment analysis " + format_up_to_three_decimals(set.pivot_to_spindle) + " mm";
}

std::string standard_strobe_page_title(int mains_hz) {
  return "Strobe disk " + std::to_string(mains_hz) + " Hz";
}

std::string custom_strobe_page_title(std::int32_t outer_bars, std::int32_t inner_bars) {
  return "Strobe disk " + std::to_string(outer_bars) + "/" + std::to_string(inner_bars) + " bars";
}

CustomStrobeFields custom_strobe_fields_for(std::span<const StrobeRing> rings) {
  const StrobeRing none;
  const StrobeRing& outer = rings.empty() ? none : rings[0];
  const StrobeRing& inner = rings.size() < 2 ? none : rings[1];
  return {std::to_string(outer.bars), std::to_string(inner.bars),
          rings.empty() ? "" : strobe_caption(outer),
          rings.size() < 2 ? "" : strobe_caption(inner)};
}

std::string strobe_speed_page_title(std::span<const StrobeRing> rings) {
  std::string title = "Strobe disk";
  for (std::size_t i = 0; i < rings.size(); ++i)
    title += (i == 0 ? " " : " and ") + strobe_speed_text(rings[i].speed_rpm);
  if (!rings.empty()) title += " RPM, " + strobe_frequency_text(rings[0].supply_hz) + " Hz";
  return title;
}

}  // namespace veltrane
