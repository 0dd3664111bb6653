#include "cli/page_title.h"

#include "model/alignments.h"
#include "model/number_format.h"

namespace veltrane {

std::string template_page_title(const ParameterSet& set) {
  std::string title = "Arc template " + format_up_to_three_decimals(set.pivot_to_spindle) + " mm";
  const std::string_view alignment = alignment_name(set.alignment);
  if (!alignment.empty()) title += ", " + std::string(alignment);
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

}  // namespace veltrane
