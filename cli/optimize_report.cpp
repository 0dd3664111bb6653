#include "cli/optimize_report.h"

#include <cmath>
#include <string>
#include <string_view>
#include <vector>

#include "model/alignments.h"
#include "model/field_reading.h"
#include "model/number_format.h"
#include "print/json_text.h"

namespace veltrane {
namespace {

// An arm of the report, by the name its column and its JSON object carry.
struct ReportArm {
  std::string_view key;  ///< empty for the optimum
  std::string_view name;
  const ArmFigures& figures;
};

std::string three(double value) {
  return std::isnan(value) ? "-" : format_three_decimals(value);
}

std::string json_number(double value) {
  return std::isfinite(value) ? shortest_number(value) : "null";
}

// `text` right-aligned in `width` characters (UTF-8), with at least one space before it.
std::string right(std::string_view text, std::size_t width) {
  std::size_t shown = 0;
  for (const char c : text) shown += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
  return std::string(shown + 1 < width ? width - shown : 1, ' ') + std::string(text);
}

// The inner and outer null radius of the text's two lines: one null radius is the outer one
// (the other root lies at or below the spindle).
double null_radius(const ArmFigures& arm, bool outer) {
  const std::vector<double>& nulls = arm.null_radii_mm;
  if (nulls.size() == 2) return nulls[outer ? 1 : 0];
  return nulls.size() == 1 && outer ? nulls[0] : std::nan("");
}

std::string report_text(const ArmLimits& limits, const std::string& id, const ReportArm& optimum,
                        const ReportArm& standard) {
  std::string text = "Your arm's optimum, least " +
                     std::string(limits.criterion == Criterion::peak ? "peak" : "RMS") +
                     " distortion";
  if (!id.empty()) text += ": " + id;
  text += "\nPivot to spindle distance = " + format_three_decimals(limits.pivot_to_spindle_mm) +
          " mm\nGroove radii = " + format_three_decimals(limits.inner_groove_radius_mm) + " to " +
          format_three_decimals(limits.outer_groove_radius_mm) + " mm\nOverhang from " +
          format_three_decimals(limits.overhang_mm.from) + " to " +
          format_three_decimals(limits.overhang_mm.to) + " mm, offset angle from " +
          format_three_decimals(limits.offset_deg.from) + " to " +
          format_three_decimals(limits.offset_deg.to) +
          " deg\nSpeed = " + format_three_decimals(limits.rpm) +
          " rpm, peak velocity = " + format_three_decimals(limits.velocity_mm_per_s) + " mm/s\n\n";
  constexpr std::size_t label_width = 24;
  constexpr std::size_t column_width = 12;
  text += std::string(label_width, ' ') + right(optimum.name, column_width) +
          right(standard.name, column_width) + "\n";
  const auto line = [&](std::string_view label, double a, double b) {
    text += std::string(label) + std::string(label_width - label.size(), ' ') +
            right(three(a), column_width) + right(three(b), column_width) + "\n";
  };
  const ArmFigures& o = optimum.figures;
  const ArmFigures& s = standard.figures;
  line("Overhang (mm)", o.overhang_mm, s.overhang_mm);
  line("Effective length (mm)", o.effective_length_mm, s.effective_length_mm);
  line("Offset angle (deg)", o.offset_angle_deg, s.offset_angle_deg);
  line("Inner null radius (mm)", null_radius(o, false), null_radius(s, false));
  line("Outer null radius (mm)", null_radius(o, true), null_radius(s, true));
  line("Peak |distortion| (%)", o.peak_distortion_percent, s.peak_distortion_percent);
  line("  at radius (mm)", o.peak_distortion_radius_mm, s.peak_distortion_radius_mm);
  line("RMS distortion (%)", o.rms_distortion_percent, s.rms_distortion_percent);
  return text;
}

std::string json_range(const ValueRange& range) {
  return "[" + json_number(range.from) + ", " + json_number(range.to) + "]";
}

std::string json_arm(const ReportArm& arm) {
  const ArmFigures& f = arm.figures;
  std::string nulls;
  for (const double r : f.null_radii_mm) nulls += (nulls.empty() ? "" : ", ") + json_number(r);
  std::string text = "{\n";
  if (!arm.key.empty()) {
    text += "    \"alignment\": " + json_string(arm.key) + ",\n";
    text += "    \"name\": " + json_string(arm.name) + ",\n";
  }
  text += "    \"overhang_mm\": " + json_number(f.overhang_mm) + ",\n";
  text += "    \"effective_length_mm\": " + json_number(f.effective_length_mm) + ",\n";
  text += "    \"offset_angle_deg\": " + json_number(f.offset_angle_deg) + ",\n";
  text += "    \"null_radii_mm\": [" + nulls + "],\n";
  text += "    \"peak_distortion_percent\": " + json_number(f.peak_distortion_percent) + ",\n";
  text += "    \"peak_distortion_radius_mm\": " + json_number(f.peak_distortion_radius_mm) + ",\n";
  text += "    \"rms_distortion_percent\": " + json_number(f.rms_distortion_percent) + "\n  }";
  return text;
}

std::string report_json(const ArmLimits& limits, const std::string& id, const ReportArm& optimum,
                        const ReportArm& standard) {
  std::string text = "{\n  \"inputs\": {\n";
  text += "    \"id\": " + json_string(id) + ",\n";
  text += "    \"pivot_to_spindle_mm\": " + json_number(limits.pivot_to_spindle_mm) + ",\n";
  text += "    \"inner_groove_radius_mm\": " + json_number(limits.inner_groove_radius_mm) + ",\n";
  text += "    \"outer_groove_radius_mm\": " + json_number(limits.outer_groove_radius_mm) + ",\n";
  text += "    \"overhang_range_mm\": " + json_range(limits.overhang_mm) + ",\n";
  text += "    \"offset_range_deg\": " + json_range(limits.offset_deg) + ",\n";
  text += "    \"criterion\": " + json_string(criterion_key(limits.criterion)) + ",\n";
  text += "    \"rpm\": " + json_number(limits.rpm) + ",\n";
  text += "    \"velocity_mm_per_s\": " + json_number(limits.velocity_mm_per_s) + "\n  },\n";
  text += "  \"optimum\": " + json_arm(optimum) + ",\n";
  text += "  \"standard\": " + json_arm(standard) + "\n}\n";
  return text;
}

}  // namespace

std::string optimum_report(const ParameterSet& set, const ArmOptimum& optimum, bool json) {
  const Alignment* const alignment = alignment_of(set.alignment);
  const ReportArm optimum_arm{"", "Optimum", optimum.optimum};
  const ReportArm standard_arm{alignment ? alignment->key : "", alignment_name(set.alignment),
                               optimum.standard};
  std::string id = cp1252_to_utf8(set.id_text);
  id.erase(id.find_last_not_of(' ') + 1);
  return json ? report_json(optimum.limits, id, optimum_arm, standard_arm)
              : report_text(optimum.limits, id, optimum_arm, standard_arm);
}

}  // namespace veltrane
