// What the page shows beyond the summary: the result card, the chart drawn for the screen
// and its readout, the peaks and the cost of a mounting error, and every download with its
// file name. Each reads the form as the summary does; none computes anything itself.
#include <emscripten/emscripten.h>

#include <cmath>
#include <string>
#include <string_view>
#include <utility>

#include "app/page_title.h"
#include "app/read_fields.h"
#include "app/window_fields.h"
#include "chart/screen_chart.h"
#include "cli/analysis_report.h"
#include "model/alignments.h"
#include "model/analysis.h"
#include "model/number_format.h"
#include "model/standard_strobes.h"
#include "page_form.h"
#include "print/file_output.h"
#include "strobe/strobe_page.h"
#include "template/template_page.h"

extern "C" int vt_apply_calibration();

namespace veltrane {
namespace {

AnalysisOptions chart_options() {
  AnalysisOptions options;
  const double rpm = form_speed("chart-rpm");
  if (std::isfinite(rpm)) options.rpm = rpm;
  return options;
}

// The chart's own analysis: about one radius for every three pixels, so that the curves are
// smooth at any width (the peaks and the CSV keep the command line's 1 mm step).
Analysis screen_analysis(double width_px) {
  const ParameterSet set = parameters();
  AnalysisOptions options = chart_options();
  const double span = set.outer_groove_radius - set.inner_groove_radius;
  const double step = span / std::clamp(width_px / 3, 40.0, 400.0);
  if (std::isfinite(step) && step > 0) options.step_mm = step;
  return analyse_alignments(set, options);
}

std::string dash_or(double value) {
  return std::isnan(value) ? "-" : format_three_decimals(value);
}

// One line per alignment: key, name, chosen (1 or 0), peak |tracking error| and its radius,
// peak |distortion| and its radius, RMS distortion, then how much the peak distortion grows
// for +0.5 mm, -0.5 mm, +0.5 degrees and -0.5 degrees of mounting error.
std::string analysis_tables() {
  AnalysisOptions options = chart_options();
  options.mounting_error = MountingError{};
  const Analysis analysis = analyse_alignments(parameters(), options);
  std::string lines;
  for (const ArmAnalysis& arm : analysis.arms) {
    if (arm.by_length_and_offset) continue;
    lines += std::string(arm.key) + '\t' + std::string(arm.name) + '\t' + (arm.chosen ? "1" : "0");
    for (const double value :
         {arm.peak_tracking_error.magnitude, arm.peak_tracking_error.radius_mm,
          arm.peak_distortion.magnitude, arm.peak_distortion.radius_mm, arm.rms_distortion_percent})
      lines += '\t' + dash_or(value);
    const MountingSensitivity growth = arm.sensitivity.value_or(MountingSensitivity{});
    for (const double value : {growth.overhang_longer, growth.overhang_shorter,
                               growth.offset_larger, growth.offset_smaller})
      lines += '\t' + dash_or(value);
    lines += '\n';
  }
  return lines;
}

// The figures of the result card, tab-separated: pivot distance, inner and outer null
// radius, effective length, overhang, offset angle.
std::string card() {
  const ParameterSet set = parameters();
  std::string line;
  for (const double value : {set.pivot_to_spindle, set.inner_null_radius, set.outer_null_radius,
                             set.effective_length, set.overhang, set.offset_angle})
    line += (line.empty() ? "" : "\t") + format_three_decimals(value);
  return line;
}

bool as_svg() {
  return text_of("format") == "svg";
}

std::string sheet_name(std::string_view what) {
  return std::string(what) + "-" + std::string(paper_size(chosen_paper()).name) +
         (as_svg() ? ".svg" : ".pdf");
}

// The custom strobe dialog's texts, the counts as the whole numbers the checks accepted.
CustomStrobeFields custom_strobe_texts() {
  CustomStrobeFields fields{text_of("strobe-outer"), text_of("strobe-inner"),
                            text_of("strobe-caption1"), text_of("strobe-caption2")};
  for (const auto& [name, text] : {std::pair{"strobe-outer", &fields.outer_bars},
                                   std::pair{"strobe-inner", &fields.inner_bars}}) {
    const double count = form_number(name);
    if (std::isfinite(count)) *text = shortest_number(count);
  }
  return fields;
}

// The file's name says what it holds: "template-222.5mm-lofgren-a-a4.pdf".
std::string download_name(std::string_view what) {
  const ParameterSet set = parameters();
  if (what == "template") {
    const Alignment* alignment = alignment_of(set.alignment);
    const std::string key = set.alignment == alignment_custom_nulls ? "custom-nulls"
                            : alignment                             ? std::string(alignment->key)
                                                                    : "alignment";
    return sheet_name("template-" + format_up_to_three_decimals(set.pivot_to_spindle) + "mm-" +
                      key);
  }
  if (what == "strobe-60hz" || what == "strobe-50hz") return sheet_name(what);
  if (what == "strobe-speed") {
    std::string name = "strobe";
    const StrobeRings found = strobe_rings();
    for (const StrobeRing& ring : found.rings)
      name += "-" + format_up_to_three_decimals(ring.speed_rpm) + "rpm";
    if (!found.rings.empty()) name += "-" + strobe_frequency_text(found.rings[0].supply_hz) + "hz";
    return sheet_name(name);
  }
  if (what == "strobe-custom") {
    const CustomStrobeFields fields = custom_strobe_texts();
    return sheet_name("strobe-" + fields.outer_bars + "-" + fields.inner_bars + "-bars");
  }
  if (what == "chart")
    return "analysis-" + format_up_to_three_decimals(set.pivot_to_spindle) + "mm-" +
           format_up_to_three_decimals(chart_options().rpm) + "rpm.csv";
  return {};
}

std::string page_bytes(const std::string& title,
                       const std::function<void(const PrintOpener&)>& print) {
  const FileFormat format = as_svg() ? FileFormat::svg : FileFormat::pdf;
  const FileTarget target{format, default_dpi(format), chosen_paper(), form_number("margin")};
  std::string bytes;
  print([&](std::string_view /*document_name*/) {
    return make_vector_file_device(target, bytes, title);
  });
  return bytes;
}

// The download's bytes as veltrane-cli writes the same file; "" when it cannot be made.
std::string download_bytes(std::string_view what) {
  if (*vt_download_problem(std::string(what).c_str()) != '\0') return {};
  ParameterSet set = parameters();
  if (what == "template")
    return page_bytes(template_page_title(set),
                      [&](const PrintOpener& open) { print_template_page(set, open); });
  if (what == "strobe-60hz" || what == "strobe-50hz") {
    const bool sixty = what == "strobe-60hz";
    const StandardStrobe& strobe = sixty ? strobe_60hz : strobe_50hz;
    const std::string blank(caption_length, ' ');
    return page_bytes(standard_strobe_page_title(sixty ? 60 : 50), [&](const PrintOpener& open) {
      print_strobe_page(set, strobe.outer_bars, strobe.inner_bars, blank, blank, open);
    });
  }
  if (what == "strobe-speed") {
    const StrobeRings found = strobe_rings();
    return page_bytes(strobe_speed_page_title(found.rings), [&](const PrintOpener& open) {
      print_strobe_speed_page(set, found.rings, open);
    });
  }
  if (what == "strobe-custom") {
    read_custom_strobe(set, custom_strobe_texts());
    return page_bytes(custom_strobe_page_title(set.custom_outer_bars, set.custom_inner_bars),
                      [&](const PrintOpener& open) {
                        print_strobe_page(set, set.custom_outer_bars, set.custom_inner_bars,
                                          set.custom_caption_1, set.custom_caption_2, open);
                      });
  }
  if (what == "chart") return analysis_csv(analyse_alignments(set, chart_options()));
  return {};
}

// The one answer the page reads after each call; valid until the next call.
std::string& answer() {
  static std::string bytes;
  return bytes;
}

const char* give(std::string text) {
  answer() = std::move(text);
  return answer().c_str();
}

}  // namespace
}  // namespace veltrane

using namespace veltrane;

extern "C" {

EMSCRIPTEN_KEEPALIVE const char* vt_card() {
  return give(card());
}

// The chart as an SVG `width_px` CSS pixels wide.
EMSCRIPTEN_KEEPALIVE const char* vt_screen_chart(double width_px) {
  return give(screen_chart_svg(screen_analysis(width_px), width_px));
}

// What the chart of that width shows under `x_px`: where that radius lies (px), a tab, the
// readout's lines.
EMSCRIPTEN_KEEPALIVE const char* vt_chart_readout(double width_px, double x_px) {
  const ScreenChartReading reading =
      screen_chart_reading(screen_analysis(width_px), width_px, x_px);
  return give(format_fixed(reading.x_px, 1) + '\t' + reading.text);
}

EMSCRIPTEN_KEEPALIVE const char* vt_analysis_tables() {
  return give(analysis_tables());
}

// Renders the download `what` (template, strobe-60hz, strobe-50hz, strobe-speed,
// strobe-custom, chart) into the answer; its size in bytes, 0 when it cannot be made
// (vt_download_problem says why).
EMSCRIPTEN_KEEPALIVE int vt_download_file(const char* what) {
  answer() = download_bytes(what);
  return static_cast<int>(answer().size());
}

EMSCRIPTEN_KEEPALIVE const char* vt_download_bytes() {
  return answer().data();
}

EMSCRIPTEN_KEEPALIVE const char* vt_download_name(const char* what) {
  return give(download_name(what));
}

// Applies the calibration's factors only when the measured lengths have no problem, as
// veltrane-cli calibrate refuses them; 1 when applied.
EMSCRIPTEN_KEEPALIVE int vt_apply_checked_calibration() {
  const std::string_view problems = vt_problems();
  if (problems.find("measured-x\t") != std::string_view::npos ||
      problems.find("measured-y\t") != std::string_view::npos)
    return 0;
  return vt_apply_calibration();
}

}  // extern "C"
