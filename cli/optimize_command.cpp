#include "cli/optimize_command.h"

#include <cmath>

#include "app/page_title.h"
#include "cli/arguments.h"
#include "cli/options.h"
#include "cli/output.h"
#include "cli/paper_fit.h"
#include "cli/render.h"
#include "model/alignments.h"
#include "model/field_reading.h"
#include "model/geometry.h"
#include "model/number_format.h"
#include "print/json_text.h"
#include "template/template_page.h"

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

// The optimum's template, as `template -o FILE` writes one with its null radii as --nulls.
int write_template(const Request& request, const ParameterSet& set, const ArmFigures& optimum,
                   Criterion criterion, std::ostream& out, std::ostream& err) {
  const std::vector<double>& nulls = optimum.null_radii_mm;
  if (nulls.size() < 2) {
    err << "veltrane-cli: no template: the optimum has "
        << (nulls.empty() ? "no null radius"
                          : "one null radius (" + format_three_decimals(nulls[0]) + " mm)")
        << ", and a template needs two null points to align the cartridge at\n";
    return 1;
  }
  ParameterSet custom = set;
  custom.alignment = alignment_custom_nulls;
  custom.custom_null_radius_1 = nulls[0];
  custom.custom_null_radius_2 = nulls[1];
  compute_alignment(custom);
  const FileTarget target{*file_format_named(*request.optimize.template_format), request.dpi,
                          request.paper, request.margin_mm};
  const std::string_view name = optimum_name(criterion);
  const std::string bytes =
      render_page(target, template_page_title(custom, name),
                  [&](const PrintOpener& opener) { print_template_page(custom, opener, name); });
  const std::string warning = template_paper_warning(custom, request.paper, request.margin_mm);
  if (target.format != FileFormat::trace && !warning.empty())
    err << "veltrane-cli: warning: " << warning << '\n';
  return write_output(*request.output, bytes, out, err);
}

}  // namespace

ValueRange range_argument(std::string_view option, std::string_view text) {
  if (const auto pair = read_number_pair(text)) return {pair->first, pair->second};
  if (const auto one = read_decimal_number(text)) return {*one, *one};
  throw UsageError{std::string(option) +
                   " must be two numbers with a comma between them (10,20), or one number "
                   "that fixes it, not " +
                   quoted_text(text)};
}

int run_optimize(const Request& request, std::ostream& out, std::ostream& err) {
  const ParameterSet set = read_arm(request.window, request.alignment);
  const OptimizeArguments& arguments = request.optimize;
  ArmLimits limits;
  limits.pivot_to_spindle_mm = set.pivot_to_spindle;
  limits.inner_groove_radius_mm = set.inner_groove_radius;
  limits.outer_groove_radius_mm = set.outer_groove_radius;
  limits.overhang_mm = *arguments.overhang_mm;
  limits.offset_deg = *arguments.offset_deg;
  limits.criterion = arguments.criterion;
  limits.rpm = request.analysis.rpm;
  limits.velocity_mm_per_s = request.analysis.velocity_mm_per_s;
  const Optimum optimum = optimize_arm(limits);
  if (!optimum.arm) throw UsageError{optimum.problems.front().message};

  ArmFigures standard = arm_figures({set.pivot_to_spindle, set.effective_length, set.offset_angle,
                                     set.inner_groove_radius, set.outer_groove_radius, limits.rpm,
                                     limits.velocity_mm_per_s});
  // The alignment's own null radii, as its summary gives them.
  standard.null_radii_mm = {set.inner_null_radius, set.outer_null_radius};
  const Alignment* const alignment = alignment_of(set.alignment);
  const ReportArm optimum_arm{"", "Optimum", *optimum.arm};
  const ReportArm standard_arm{alignment ? alignment->key : "", alignment_name(set.alignment),
                               standard};
  std::string id = cp1252_to_utf8(set.id_text);
  id.erase(id.find_last_not_of(' ') + 1);
  const std::string report = *request.format == "json"
                                 ? report_json(limits, id, optimum_arm, standard_arm)
                                 : report_text(limits, id, optimum_arm, standard_arm);
  const int code = write_output("-", report, out, err);
  if (code != 0 || !request.output) return code;
  return write_template(request, set, *optimum.arm, limits.criterion, out, err);
}

}  // namespace veltrane
