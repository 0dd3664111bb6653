#include "cli/analyze.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>
#include <sstream>

#include "app/field_values.h"
#include "app/read_fields.h"
#include "chart/chart_page.h"
#include "cli/cli.h"
#include "cli/page_title.h"
#include "model/number_format.h"
#include "print/file_output.h"
#include "print/trace_device.h"
#include "ui/control_ids.h"

namespace veltrane {

const std::string_view analyze_help_text =
    R"(analyze: tracking error and distortion of the three alignments across the record.

  veltrane-cli analyze [FIELDS] [--rpm N] [--velocity N] [--step N]
                       [--arm-length N --arm-offset N]
                       [--format text|csv|json|pdf|svg|png|trace] [--dpi N]
                       [--paper a4|a3|letter|legal|tabloid] [-o FILE]

  FIELDS are read as summary reads them; --alignment only marks the chosen one.
  Each N is a decimal number greater than 0 (for example 33.3 or 1e-3).
  --rpm N               turntable speed (100/3)
  --velocity N          peak lateral velocity of the recorded signal, mm/s (100)
  --step N              radius step, mm (1); radii run from the inner groove
                        radius in steps (the k-th is inner + k x step) below the
                        outer groove radius, then the outer groove radius itself;
                        at most 1000000 radii
  --arm-length N --arm-offset N
                        an arm as its maker built it (effective length in mm,
                        offset angle in degrees), mounted at --pivot: a fourth
                        column "As given" with the null radii where it has them
                        (marked * when they lie between the groove radii)
  --format FORMAT       text (the default), csv or json; or a chart page in
                        pdf, svg, png or trace; by default from FILE's extension
  -o FILE               where it goes; standard output when left out or "-"

  At radius r, for pivot distance d, effective length L and offset angle b:
  tracking error e = b - asin((L^2 + r^2 - d^2) / (2 L r)) in degrees, "-" where
  the arm cannot reach r; weighted error e / (r / 10) in degrees per cm;
  distortion 100 v tan(e) / (2 pi rpm / 60 x r) in percent. Peaks are the largest
  magnitudes over the radii with a value, at the first radius they occur; the RMS
  distortion is over the radii with a value (unreachable radii are left out).
  Text shows three decimals; csv and json the shortest decimal that reads back
  as the same number, csv an empty field and json null where there is no value.
)";

namespace {

constexpr std::string_view usage_line =
    "usage: veltrane-cli analyze [FIELDS] [--rpm N] [--velocity N] [--step N] "
    "[--arm-length N --arm-offset N] [--format FORMAT] [-o FILE] (see --help)";

struct UsageError {
  std::string message;
};

enum class AnalysisFormat { text, csv, json, page };

struct AnalyzeRequest {
  FieldValues window = initial_main_window_fields();
  AnalysisOptions options;
  std::optional<double> arm_length;
  std::optional<double> arm_offset;
  std::optional<std::string> format_name;
  int dpi = 0;
  Paper paper = Paper::a4;
  std::string output = "-";
  bool help = false;
};

// A decimal number as people type it: digits with an optional point and exponent, and no
// sign but an optional '+'. Hexadecimal, "inf" and "nan" are not numbers here.
bool is_decimal_text(std::string_view text) {
  std::size_t i = 0;
  const auto digits = [&] {
    const std::size_t start = i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
    return i - start;
  };
  if (i < text.size() && text[i] == '+') ++i;
  std::size_t mantissa = digits();
  if (i < text.size() && text[i] == '.') {
    ++i;
    mantissa += digits();
  }
  if (mantissa == 0) return false;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    if (digits() == 0) return false;
  }
  return i == text.size();
}

double positive_number(std::string_view name, std::string_view text) {
  double value = 0;
  bool ok = is_decimal_text(text);
  if (ok) {
    const std::string_view digits = text.starts_with('+') ? text.substr(1) : text;
    const auto result = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    ok = result.ec == std::errc() && result.ptr == digits.data() + digits.size();
  }
  if (!ok || !std::isfinite(value) || !(value > 0))
    throw UsageError{std::string(name) + " must be a decimal number greater than 0, not '" +
                     std::string(text) + "'"};
  return value;
}

int dpi_number(std::string_view text) {
  int value = 0;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  if (result.ec != std::errc() || result.ptr != text.data() + text.size() || value < 1 ||
      value > 9600 || text.starts_with('-'))
    throw UsageError{"--dpi must be a whole number from 1 to 9600, not '" + std::string(text) +
                     "'"};
  return value;
}

void apply_option(AnalyzeRequest& r, std::string_view name, std::string_view value) {
  // clang-format off
  const struct { std::string_view name; int id; } fields[] = {
      {"--pivot", id_pivot}, {"--inner", id_inner_radius}, {"--outer", id_outer_radius},
      {"--correction-x", id_correction_x}, {"--correction-y", id_correction_y},
      {"--id", id_id_text},
  };
  // clang-format on
  for (const auto& field : fields) {
    if (name == field.name) {
      r.window.set_text(field.id, value);
      return;
    }
  }
  if (name == "--alignment") {
    int id = 0;
    if (value == "lofgren-a") id = id_lofgren_a;
    if (value == "lofgren-b") id = id_lofgren_b;
    if (value == "stevenson-a") id = id_stevenson_a;
    if (id == 0)
      throw UsageError{"--alignment must be lofgren-a, lofgren-b or stevenson-a, not '" +
                       std::string(value) + "'"};
    r.window.set_option(id_lofgren_a, id_stevenson_a, id);
  } else if (name == "--rpm") {
    r.options.rpm = positive_number(name, value);
  } else if (name == "--velocity") {
    r.options.velocity_mm_per_s = positive_number(name, value);
  } else if (name == "--step") {
    r.options.step_mm = positive_number(name, value);
  } else if (name == "--arm-length") {
    r.arm_length = positive_number(name, value);
  } else if (name == "--arm-offset") {
    r.arm_offset = positive_number(name, value);
  } else if (name == "--format") {
    if (value != "text" && value != "csv" && value != "json" && value != "pdf" && value != "svg" &&
        value != "png" && value != "trace")
      throw UsageError{"--format must be text, csv, json, pdf, svg, png or trace, not '" +
                       std::string(value) + "'"};
    r.format_name = std::string(value);
  } else if (name == "--dpi") {
    r.dpi = dpi_number(value);
  } else if (name == "--paper") {
    const std::optional<Paper> paper = paper_named(value);
    if (!paper)
      throw UsageError{"--paper must be a4, a3, letter, legal or tabloid, not '" +
                       std::string(value) + "'"};
    r.paper = *paper;
  } else if (name == "-o" || name == "--output") {
    r.output = std::string(value);
  } else {
    throw UsageError{(name.starts_with("-") ? "unknown option '" : "unexpected argument '") +
                     std::string(name) + "' for analyze"};
  }
}

std::string lower_extension(std::string_view path) {
  const auto dot = path.rfind('.');
  const auto slash = path.rfind('/');
  if (dot == std::string_view::npos || (slash != std::string_view::npos && slash > dot)) return {};
  std::string extension(path.substr(dot + 1));
  for (char& c : extension) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return extension;
}

AnalyzeRequest parse(std::span<const std::string_view> args) {
  AnalyzeRequest request;
  for (std::size_t i = 0; i < args.size();) {
    const std::string_view word = args[i++];
    if (word == "--help" || word == "-h") {
      request.help = true;
      return request;
    }
    const auto equals = word.find('=');
    const std::string_view name = word.substr(0, equals);
    std::string_view value;
    if (equals != std::string_view::npos) {
      value = word.substr(equals + 1);
    } else if (i < args.size() && name.starts_with("-")) {
      value = args[i++];
    } else if (name.starts_with("-")) {
      throw UsageError{"option '" + std::string(name) + "' needs a value"};
    }
    apply_option(request, name, value);
  }
  if (request.arm_length.has_value() != request.arm_offset.has_value())
    throw UsageError{"--arm-length and --arm-offset go together"};
  if (request.arm_length)
    request.options.as_given = ArmAsGiven{*request.arm_length, *request.arm_offset};
  if (!request.format_name) {
    const std::string extension = lower_extension(request.output);
    for (const char* name : {"csv", "json", "pdf", "svg", "png", "trace"}) {
      if (extension == name) request.format_name = extension;
    }
    if (!request.format_name) request.format_name = "text";
  }
  const std::string& format = *request.format_name;
  if (format == "png" && request.dpi > 1200)
    throw UsageError{"--dpi for png must be from 1 to 1200"};
  if (format == "png" && !file_format_available(FileFormat::png))
    throw UsageError{
        "this build writes no png files; it writes text, csv, json, trace, pdf and svg"};
  return request;
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
    return arm.key == "as-given" && on ? '*' : ' ';
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

constexpr std::size_t radius_width = 11;
constexpr std::size_t value_width = 10;

void row_table(std::string& text, const Analysis& analysis) {
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
      const TrackingValues& row = arm.rows[i];
      text += "  ";
      for (double value :
           {row.tracking_error_deg, row.weighted_error_deg_per_cm, row.distortion_percent})
        append(std::isnan(value) ? dash : format_three_decimals(value), value_width);
    }
    text += '\n';
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

// ---- pages -----------------------------------------------------------------------------

std::string render_chart(const AnalyzeRequest& request, const ParameterSet& set,
                         const Analysis& analysis) {
  const std::string& name = *request.format_name;
  std::string bytes;
  std::ostringstream trace;
  PrintOpener opener;
  if (name == "trace") {
    opener = trace_opener(trace, request.dpi != 0 ? request.dpi : default_dpi(FileFormat::trace));
  } else {
    const FileFormat format = name == "pdf"   ? FileFormat::pdf
                              : name == "svg" ? FileFormat::svg
                                              : FileFormat::png;
    const int dpi = request.dpi != 0 ? request.dpi : default_dpi(format);
    opener = [&bytes, format, dpi, &request,
              title = analysis_page_title(set)](std::string_view /*document*/) {
      return make_file_device({format, dpi, request.paper}, bytes, title);
    };
  }
  print_chart_page(set, analysis, opener);
  return name == "trace" ? trace.str() : bytes;
}

// The most radii one analysis may have: max_analysis_radii unless lowered.
std::size_t analysis_radii_limit = max_analysis_radii;

}  // namespace

void limit_analysis_radii(std::size_t most) {
  analysis_radii_limit = std::min(most, max_analysis_radii);
}

std::string shortest_number(double value) {
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return {buffer, result.ptr};
}

std::string analysis_text(const Analysis& analysis) {
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
    marked =
        marked || (arm.key == "as-given" && (arm.inner_null_on_record || arm.outer_null_on_record));
  if (marked) text += "* a null radius between the inner and outer groove radius\n";
  text += '\n';
  if (analysis.radii_mm.empty()) {
    text += "No radii: " + analysis.no_radii_reason + ".\n";
  } else {
    row_table(text, analysis);
  }
  return text;
}

std::string analysis_csv(const Analysis& analysis) {
  std::string text =
      "alignment,radius_mm,tracking_error_deg,weighted_error_deg_per_cm,distortion_percent\n";
  if (analysis.radii_mm.empty()) text += "# no radii: " + analysis.no_radii_reason + '\n';
  for (const ArmAnalysis& arm : analysis.arms) {
    for (std::size_t i = 0; i < analysis.radii_mm.size(); ++i) {
      const TrackingValues& row = arm.rows[i];
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
    }
  }
  return text;
}

std::string analysis_json(const Analysis& analysis) {
  const AnalysisOptions& o = analysis.options;
  std::string chosen = "null";
  for (const ArmAnalysis& arm : analysis.arms) {
    if (arm.chosen) chosen = json_string(arm.key);
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
         true);
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
    text += "      \"rows\": [";
    for (std::size_t i = 0; i < analysis.radii_mm.size(); ++i) {
      const TrackingValues& row = arm.rows[i];
      text += i == 0 ? "\n        {" : ",\n        {";
      text += "\"radius_mm\": " + json_number(analysis.radii_mm[i]);
      text += ", \"tracking_error_deg\": " + json_number(row.tracking_error_deg);
      text += ", \"weighted_error_deg_per_cm\": " + json_number(row.weighted_error_deg_per_cm);
      text += ", \"distortion_percent\": " + json_number(row.distortion_percent);
      text += '}';
    }
    text += analysis.radii_mm.empty() ? "]\n    }" : "\n      ]\n    }";
  }
  text += "\n  ]\n}\n";
  return text;
}

int run_analyze(std::span<const std::string_view> args, std::ostream& out, std::ostream& err) {
  AnalyzeRequest request;
  ParameterSet set;
  try {
    request = parse(args);
    if (!request.help) {
      read_parameters(set, request.window);
      if (has_too_many_radii(set.inner_groove_radius, set.outer_groove_radius,
                             request.options.step_mm, analysis_radii_limit))
        throw UsageError{"--step " + shortest_number(request.options.step_mm) +
                         " gives more than " + std::to_string(analysis_radii_limit) +
                         " radii between the groove radii"};
    }
  } catch (const UsageError& error) {
    err << "veltrane-cli: " << error.message << '\n' << usage_line << '\n';
    return 2;
  }
  if (request.help) {
    out << analyze_help_text;
    return 0;
  }
  const Analysis analysis = analyse_alignments(set, request.options);
  const std::string& format = *request.format_name;
  std::string bytes;
  if (format == "text") {
    bytes = analysis_text(analysis);
  } else if (format == "csv") {
    bytes = analysis_csv(analysis);
  } else if (format == "json") {
    bytes = analysis_json(analysis);
  } else {
    bytes = render_chart(request, set, analysis);
  }
  return write_output(request.output, bytes, out, err);
}

}  // namespace veltrane
