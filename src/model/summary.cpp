#include "model/summary.h"

#include "model/field_reading.h"
#include "model/number_format.h"

namespace veltrane {

std::string build_parameter_summary(const ParameterSet& set) {
  std::string text = "ID = " + cp1252_to_utf8(set.id_text);
  const auto line = [&text](const char* caption, double value) {
    text += '\n';
    text += caption;
    text += format_three_decimals(value);
  };
  line("Inner groove radius = ", set.inner_groove_radius);
  line("Outer groove radius = ", set.outer_groove_radius);
  line("Pivot to spindle distance = ", set.pivot_to_spindle);
  line("Inner null radius = ", set.inner_null_radius);
  line("Outer null radius = ", set.outer_null_radius);
  line("Effective length = ", set.effective_length);
  line("Overhang = ", set.overhang);
  line("Offset angle = ", set.offset_angle);
  text += "\u00B0";
  return text;
}

}  // namespace veltrane
