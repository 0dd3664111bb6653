#include "cli/analysis_report.h"

#include <algorithm>
#include <cmath>

#include "model/number_format.h"
#include "print/json_text.h"

namespace veltrane {
namespace {

// Hands the text gathered so far on to the sink once it is a piece worth writing, so that
// a report of a million rows never sits whole in memory.
void hand_on_when_full(std::string& text, const TextSink& sink) {
  if (text.size() < (std::size_t{1} << 16)) return;
  sink(text);
  text.clear();
}

// ---- text ----------------------------------------------------------------------------

std::size_t display_width(std::string_view utf8) {
  std::size_t width = 0;
  for (char c : utf8) width += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
  return width;
}

// `text` right-aligned in `width` characters, with at least one space before it.
std::string right(std::string_view text, std::size_t width) {
  const std::size_t shown = display_width(text);
  std::string cell(shown + 1 < width ? width - shown : 1, ' ');
  cell += text;
  return cell;
}

std::string left(std::string_view text, std::size_t width) {
  std::string cell(text);
  const std::size_t shown = display_width(text);
  if (shown < width) cell.append(width - shown, ' ');
  return cell;
}

std::string centred(std::string_view text, std::size_t width) {
  const std::size_t shown = display_width(text);
  if (shown >= width) return std::string(text);
  const std::size_t before = (width - shown) / 2;
  return std::string(before, ' ') + std::string(text) + std::string(width - shown - before, ' ');
}

std::string three(double value) {
  return std::isnan(value) ? "-" : format_three_decimals(value);
}

constexpr std::size_t label_width = 24;
constexpr std::size_t column_width = 12;

void comparison(std::string& text, const Analysis& analysis) {
  text += std::string(label_width, ' ');
  for (const ArmAnalysis& arm : analysis.arms) text += right(arm.name, column_width) + ' ';
  while (text.back() == ' ') text.pop_back();
  text += '\n';
  text += std::string(label_width, ' ');
  for (const ArmAnalysis& arm : analysis.arms)
    text += right(arm.chosen ? "(chosen)" : "", column_width) + ' ';
  while (text.back() == ' ') text.pop_back();
  text += '\n';
  const auto line = [&](std::string_view label, auto value_of, auto marker_of) {
    text += left(label, label_width);
    for (const ArmAnalysis& arm : analysis.arms) {
      text += right(three(value_of(arm)), column_width);
      text += marker_of(arm);
    }
    while (text.back() == ' ') text.pop_back();
    text += '\n';
  };
  const auto none = [](const ArmAnalysis&) { return ' '; };
  const auto on_record = [](bool on, const ArmAnalysis& arm) {
    return arm.by_length_and_offset && on ? '*' : ' ';
  };
  line(
      "Inner null radius (mm)", [](const ArmAnalysis& a) { return a.inner_null_radius_mm; },
      [&](const ArmAnalysis& a) { return on_record(a.inner_null_on_record, a); });
  line(
      "Outer null radius (mm)", [](const ArmAnalysis& a) { return a.outer_null_radius_mm; },
      [&](const ArmAnalysis& a) { return on_record(a.outer_null_on_record, a); });
  line(
      "Effective length (mm)", [](const ArmAnalysis& a) { return a.effective_length_mm; }, none);
  line(
      "Overhang (mm)", [](const ArmAnalysis& a) { return a.overhang_mm; }, none);
  line(
      "Offset angle (deg)", [](const ArmAnalysis& a) { return a.offset_angle_deg; }, none);
  line(
      "Peak |error| (deg)", [](const ArmAnalysis& a) { return a.peak_tracking_error.magnitude; },
      none);
  line(
      "  at radius (mm)", [](const ArmAnalysis& a) { return a.peak_tracking_error.radius_mm; },
      none);
  line(
      "Peak |distortion| (%)", [](const ArmAnalysis& a) { return a.peak_distortion.magnitude; },
      none);
  line(
      "  at radius (mm)", [](const ArmAnalysis& a) { return a.peak_distortion.radius_mm; }, none);
  line(
      "RMS distortion (%)", [](const ArmAnalysis& a) { return a.rms_distortion_percent; }, none);
}

// What each alignment's peak distortion costs when mounted a little off, one line each.
void sensitivity_table(std::string& text, const Analysis& analysis) {
  const auto has = [](const ArmAnalysis& arm) { return arm.sensitivity.has_value(); };
  if (std::none_of(analysis.arms.begin(), analysis.arms.end(), has)) return;
  const std::string mm = format_up_to_three_decimals(sensitivity_overhang_mm) + " mm";
  const std::string deg = format_up_to_three_decimals(sensitivity_offset_deg) + " deg";
  text += '\n' + left("Peak |distortion| growth", label_width);
  for (const char* caption : {"overhang", "overhang", "offset", "offset"})
    text += right(caption, column_width);
  text += '\n' + left("(%) when mounted off by", label_width);
  for (const std::string& caption : {"+" + mm, "-" + mm, "+" + deg, "-" + deg})
    text += right(caption, column_width);
  text += '\n';
  for (const ArmAnalysis& arm : analysis.arms) {
    if (!arm.sensitivity) continue;
    const MountingSensitivity& g = *arm.sensitivity;
    text += left(arm.name, label_width);
    for (double growth : {g.overhang_longer, g.overhang_shorter, g.offset_larger, g.offset_smaller})
      text += right(three(growth), column_width);
    text += '\n';
  }
}

constexpr std::size_t radius_width = 11;
constexpr std::size_t value_width = 10;

void row_table(std::string& text, const Analysis& analysis, const TextSink& sink) {
  const std::size_t group = 3 * value_width;
  std::string heading = left("", radius_width);
  std::string captions = right("Radius", radius_width);
  std::string units = right("(mm)", radius_width);
  for (const ArmAnalysis& arm : analysis.arms) {
    heading += "  " + centred(arm.name, group);
    captions += "  " + right("error", value_width) + right("weighted", value_width) +
                right("distortion", value_width);
    units += "  " + right("(deg)", value_width) + right("(deg/cm)", value_width) +
             right("(%)", value_width);
  }
  while (heading.back() == ' ') heading.pop_back();
  text += heading + '\n' + captions + '\n' + units + '\n';
  // Numbers are ASCII, so bytes are characters here.
  const auto append = [&text](const std::string& cell, std::size_t width) {
    text.append(cell.size() + 1 < width ? width - cell.size() : 1, ' ');
    text += cell;
  };
  const std::string dash = "-";
  for (std::size_t i = 0; i < analysis.radii_mm.size(); ++i) {
    append(format_three_decimals(analysis.radii_mm[i]), radius_width);
    for (const ArmAnalysis& arm : analysis.arms) {
      const TrackingValues row = analysis_row(analysis, arm, i);
      text += "  ";
      for (double value :
           {row.tracking_error_deg, row.weighted_error_deg_per_cm, row.distortion_percent})
        append(std::isnan(value) ? dash : format_three_decimals(value), value_width);
    }
    text += '\n';
    hand_on_when_full(text, sink);
  }
}

// ---- csv and json ----------------------------------------------------------------------

std::string csv_number(double value) {
  return std::isnan(value) ? std::string() : shortest_number(value);
}

std::string json_number(double value) {
  return std::isfinite(value) ? shortest_number(value) : "null";
}

std::string json_bool(bool value) {
  return value ? "true" : "false";
}

// The whole report as one text.
std::string collected(void (*write)(const Analysis&, const TextSink&), const Analysis& analysis) {
  std::string all;
  write(analysis, [&all](std::string_view piece) { all += piece; });
  return all;
}

}  // namespace

std::string analysis_text(const Analysis& analysis) {
  return collected(write_analysis_text, analysis);
}

std::string analysis_csv(const Analysis& analysis) {
  return collected(write_analysis_csv, analysis);
}

std::string analysis_json(const Analysis& analysis) {
  return collected(write_analysis_json, analysis);
}

void write_analysis_text(const Analysis& analysis, const TextSink& sink) {
  std::string text = "Alignment analysis";
  if (!analysis.id.empty()) text += ": " + analysis.id;
  text += '\n';
  const AnalysisOptions& o = analysis.options;
  text += "Pivot to spindle distance = " + format_three_decimals(analysis.pivot_to_spindle_mm) +
          " mm\n";
  text += "Groove radii = " + format_three_decimals(analysis.inner_groove_radius_mm) + " to " +
          format_three_decimals(analysis.outer_groove_radius_mm) + " mm in steps of " +
          format_three_decimals(o.step_mm) + " mm\n";
  text += "Speed = " + format_three_decimals(o.rpm) +
          " rpm, peak velocity = " + format_three_decimals(o.velocity_mm_per_s) + " mm/s\n\n";
  comparison(text, analysis);
  bool marked = false;
  for (const ArmAnalysis& arm : analysis.arms)
    marked = marked ||
             (arm.by_length_and_offset && (arm.inner_null_on_record || arm.outer_null_on_record));
  if (marked) text += "* a null radius between the inner and outer groove radius\n";
  sensitivity_table(text, analysis);
  text += '\n';
  if (analysis.radii_mm.empty()) {
    text += "No radii: " + analysis.no_radii_reason + ".\n";
  } else {
    row_table(text, analysis, sink);
  }
  sink(text);
}

void write_analysis_csv(const Analysis& analysis, const TextSink& sink) {
  std::string text =
      "alignment,radius_mm,tracking_error_deg,weighted_error_deg_per_cm,distortion_percent\n";
  for (const ArmAnalysis& arm : analysis.arms) {
    for (std::size_t i = 0; i < analysis.radii_mm.size(); ++i) {
      const TrackingValues row = analysis_row(analysis, arm, i);
      text += arm.key;
      text += ',';
      text += csv_number(analysis.radii_mm[i]);
      text += ',';
      text += csv_number(row.tracking_error_deg);
      text += ',';
      text += csv_number(row.weighted_error_deg_per_cm);
      text += ',';
      text += csv_number(row.distortion_percent);
      text += '\n';
      hand_on_when_full(text, sink);
    }
  }
  sink(text);
}

void write_analysis_json(const Analysis& analysis, const TextSink& sink) {
  const AnalysisOptions& o = analysis.options;
  std::string chosen = "null";
  const ArmAnalysis* custom = nullptr;
  for (const ArmAnalysis& arm : analysis.arms) {
    if (arm.chosen) chosen = json_string(arm.key);
    if (arm.key == "custom") custom = &arm;
  }
  std::string text = "{\n  \"inputs\": {\n";
  const auto member = [&text](std::string_view indent, std::string_view key,
                              const std::string& value, bool last = false) {
    text += indent;
    text += json_string(key);
    text += ": ";
    text += value;
    text += last ? "\n" : ",\n";
  };
  member("    ", "id", json_string(analysis.id));
  member("    ", "pivot_to_spindle_mm", json_number(analysis.pivot_to_spindle_mm));
  member("    ", "inner_groove_radius_mm", json_number(analysis.inner_groove_radius_mm));
  member("    ", "outer_groove_radius_mm", json_number(analysis.outer_groove_radius_mm));
  member("    ", "chosen_alignment", chosen);
  member("    ", "rpm", json_number(o.rpm));
  member("    ", "velocity_mm_per_s", json_number(o.velocity_mm_per_s));
  member("    ", "step_mm", json_number(o.step_mm));
  member("    ", "arm_length_mm",
         o.as_given ? json_number(o.as_given->effective_length_mm) : "null");
  member("    ", "arm_offset_deg", o.as_given ? json_number(o.as_given->offset_angle_deg) : "null",
         !o.mounting_error && !custom);
  if (custom) {
    member("    ", "custom_nulls_mm",
           "[" + json_number(custom->inner_null_radius_mm) + ", " +
               json_number(custom->outer_null_radius_mm) + "]",
           !o.mounting_error);
  }
  if (o.mounting_error) {
    member("    ", "mounting_error",
           "{\"overhang_mm\": " + json_number(o.mounting_error->overhang_mm) +
               ", \"offset_deg\": " + json_number(o.mounting_error->offset_deg) + "}",
           true);
  }
  text += "  },\n";
  member("  ", "no_radii_reason",
         analysis.radii_mm.empty() ? json_string(analysis.no_radii_reason) : "null");
  text += "  \"alignments\": [";
  for (std::size_t a = 0; a < analysis.arms.size(); ++a) {
    const ArmAnalysis& arm = analysis.arms[a];
    text += a == 0 ? "\n    {\n" : ",\n    {\n";
    const std::string_view in = "      ";
    member(in, "alignment", json_string(arm.key));
    member(in, "name", json_string(arm.name));
    member(in, "chosen", json_bool(arm.chosen));
    member(in, "inner_null_radius_mm", json_number(arm.inner_null_radius_mm));
    member(in, "inner_null_on_record", json_bool(arm.inner_null_on_record));
    member(in, "outer_null_radius_mm", json_number(arm.outer_null_radius_mm));
    member(in, "outer_null_on_record", json_bool(arm.outer_null_on_record));
    member(in, "effective_length_mm", json_number(arm.effective_length_mm));
    member(in, "overhang_mm", json_number(arm.overhang_mm));
    member(in, "offset_angle_deg", json_number(arm.offset_angle_deg));
    member(in, "peak_tracking_error_deg", json_number(arm.peak_tracking_error.magnitude));
    member(in, "peak_tracking_error_radius_mm", json_number(arm.peak_tracking_error.radius_mm));
    member(in, "peak_distortion_percent", json_number(arm.peak_distortion.magnitude));
    member(in, "peak_distortion_radius_mm", json_number(arm.peak_distortion.radius_mm));
    member(in, "rms_distortion_percent", json_number(arm.rms_distortion_percent));
    if (arm.sensitivity) {
      const MountingSensitivity& g = *arm.sensitivity;
      member(in, "peak_distortion_growth_percent",
             "{\"overhang_longer\": " + json_number(g.overhang_longer) +
                 ", \"overhang_shorter\": " + json_number(g.overhang_shorter) +
                 ", \"offset_larger\": " + json_number(g.offset_larger) +
                 ", \"offset_smaller\": " + json_number(g.offset_smaller) + "}");
    }
    text += "      \"rows\": [";
    for (std::size_t i = 0; i < analysis.radii_mm.size(); ++i) {
      const TrackingValues row = analysis_row(analysis, arm, i);
      text += i == 0 ? "\n        {" : ",\n        {";
      text += "\"radius_mm\": " + json_number(analysis.radii_mm[i]);
      text += ", \"tracking_error_deg\": " + json_number(row.tracking_error_deg);
      text += ", \"weighted_error_deg_per_cm\": " + json_number(row.weighted_error_deg_per_cm);
      text += ", \"distortion_percent\": " + json_number(row.distortion_percent);
      text += '}';
      hand_on_when_full(text, sink);
    }
    text += analysis.radii_mm.empty() ? "]\n    }" : "\n      ]\n    }";
  }
  text += "\n  ]\n}\n";
  sink(text);
}

}  // namespace veltrane
