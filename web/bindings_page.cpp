// What the page shows beyond the summary and the checks: the result card, the chart drawn for
// the screen and its readout, the peaks and the cost of a mounting error, and every download
// with its file name. Each resolves the form through the application layer; none computes or
// chooses anything itself.
#include <emscripten/emscripten.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <string_view>
#include <utility>

#include "app/page_kinds.h"
#include "app/render.h"
#include "app/requests.h"
#include "chart/screen_chart.h"
#include "cli/analysis_report.h"
#include "model/analysis.h"
#include "model/number_format.h"
#include "page_form.h"
#include "print/paper.h"

namespace veltrane {
namespace {

// The download of every radius as a table: the chart's analysis as veltrane-cli analyze
// --format csv writes it. No page, so neither the paper nor the format is read.
constexpr std::string_view table_download = "chart-csv";

void take(Problems& problems, std::vector<std::string>& warnings, const auto& part) {
  problems.insert(problems.end(), part.problems.begin(), part.problems.end());
  warnings.insert(warnings.end(), part.warnings.begin(), part.warnings.end());
}

using AdjustOptions = std::function<void(const ParameterSet&, AnalysisOptions&)>;

// The arm and its analysis as veltrane-cli analyze resolves them; `adjust` changes the
// options before the analysis is computed.
Resolved<PageInputs> analysed(const AdjustOptions& adjust = {}) {
  const PageRequest request = page_request();
  Resolved<PageInputs> result;
  const Resolved<ParameterSet> arm = resolve_arm(request.arm, page_reading);
  take(result.problems, result.warnings, arm);
  if (!arm.value) return result;
  Resolved<AnalysisOptions> options = resolve_analysis(request.analysis, *arm.value);
  take(result.problems, result.warnings, options);
  if (!options.value) return result;
  if (adjust) adjust(*arm.value, *options.value);
  PageInputs inputs;
  inputs.set = *arm.value;
  inputs.analysis = analyse_alignments(*arm.value, *options.value);
  result.value = std::move(inputs);
  return result;
}

// The chart's own analysis: about one radius for every three pixels, so that the curves are
// smooth at any width (the tables and the CSV keep the command line's step).
Resolved<PageInputs> screen_analysis(double width_px) {
  return analysed([width_px](const ParameterSet& set, AnalysisOptions& options) {
    const double span = set.outer_groove_radius - set.inner_groove_radius;
    const double step = span / std::clamp(width_px / 3, 40.0, 400.0);
    if (std::isfinite(step) && step > 0) options.step_mm = step;
  });
}

std::string dash_or(double value) {
  return std::isnan(value) ? "-" : format_three_decimals(value);
}

// The page kind a download draws, the chart's for the table.
const PageKind* download_kind(std::string_view what) {
  return page_kind_keyed(what == table_download ? "chart" : what);
}

Resolved<ResolvedPage> resolved_download(std::string_view what) {
  if (what != table_download) {
    const PageKind* const kind = download_kind(what);
    if (!kind) return {{}, {{"", "there is no such page"}}, {}};
    return resolve_page(*kind, page_request(), page_reading);
  }
  Resolved<PageInputs> table = analysed();
  Resolved<ResolvedPage> result{{}, std::move(table.problems), std::move(table.warnings)};
  if (table.value) result.value = ResolvedPage{std::move(*table.value), {}};
  return result;
}

std::string& download_bytes() {
  static std::string bytes;
  return bytes;
}

}  // namespace
}  // namespace veltrane

using namespace veltrane;

extern "C" {

// The figures of the result card, tab-separated: pivot distance, inner and outer null
// radius, effective length, overhang, offset angle; "" while the arm has a problem.
EMSCRIPTEN_KEEPALIVE const char* vt_card() {
  const Resolved<ParameterSet> arm = resolve_arm(page_request().arm, page_reading);
  std::string line;
  if (arm.value) {
    const ParameterSet& set = *arm.value;
    for (const double value : {set.pivot_to_spindle, set.inner_null_radius, set.outer_null_radius,
                               set.effective_length, set.overhang, set.offset_angle})
      line += (line.empty() ? "" : "\t") + format_three_decimals(value);
  }
  return give(line);
}

// The chart as an SVG `width_px` CSS pixels wide; "" while the form has a problem for it.
EMSCRIPTEN_KEEPALIVE const char* vt_screen_chart(double width_px) {
  const Resolved<PageInputs> chart = screen_analysis(width_px);
  return give(chart.value ? screen_chart_svg(chart.value->analysis, width_px) : std::string());
}

// What the chart of that width shows under `x_px`: where that radius lies (px), a tab, the
// readout's lines.
EMSCRIPTEN_KEEPALIVE const char* vt_chart_readout(double width_px, double x_px) {
  const Resolved<PageInputs> chart = screen_analysis(width_px);
  if (!chart.value) return give("");
  const ScreenChartReading reading = screen_chart_reading(chart.value->analysis, width_px, x_px);
  return give(format_fixed(reading.x_px, 1) + '\t' + reading.text);
}

// One line per alignment: key, name, chosen (1 or 0), peak |tracking error| and its radius,
// peak |distortion| and its radius, RMS distortion, then how much the peak distortion grows
// for +0.5 mm, -0.5 mm, +0.5 degrees and -0.5 degrees of mounting error; "" while the form
// has a problem for the chart.
EMSCRIPTEN_KEEPALIVE const char* vt_analysis_tables() {
  const Resolved<PageInputs> chart = analysed([](const ParameterSet&, AnalysisOptions& options) {
    options.mounting_error = MountingError{};
  });
  std::string lines;
  if (!chart.value) return give(lines);
  for (const ArmAnalysis& arm : chart.value->analysis.arms) {
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
  return give(lines);
}

// "" when the download `what` (a page kind's key, or "chart-csv") can be made, else the
// first problem that keeps it.
EMSCRIPTEN_KEEPALIVE const char* vt_download_problem(const char* what) {
  const Resolved<ResolvedPage> download = resolved_download(what);
  return give(download.value ? std::string() : download.problems.front().words);
}

// What the chosen paper and margin cut off that download, and the smallest paper with room
// for it, as veltrane-cli warns; "" when nothing is cut off.
EMSCRIPTEN_KEEPALIVE const char* vt_paper_warning(const char* what) {
  std::string text;
  for (const std::string& warning : resolved_download(what).warnings)
    text += (text.empty() ? "" : "\n") + warning;
  return give(text);
}

// Renders the download `what` into the bytes vt_download_bytes gives, as veltrane-cli writes
// the same file; their size, 0 when it cannot be made (vt_download_problem says why).
EMSCRIPTEN_KEEPALIVE int vt_download(const char* what) {
  const Resolved<ResolvedPage> download = resolved_download(what);
  download_bytes().clear();
  if (download.value) {
    const PageInputs& inputs = download.value->inputs;
    download_bytes() = what == table_download
                           ? analysis_csv(inputs.analysis)
                           : render_page(*download_kind(what), inputs, download.value->target);
  }
  return static_cast<int>(download_bytes().size());
}

EMSCRIPTEN_KEEPALIVE const char* vt_download_bytes() {
  return download_bytes().data();
}

// The file's name says what it holds: "template-222.5mm-lofgren-a-a4.pdf"; "" while the
// download cannot be made.
EMSCRIPTEN_KEEPALIVE const char* vt_download_name(const char* what) {
  const Resolved<ResolvedPage> download = resolved_download(what);
  if (!download.value) return give("");
  const std::string stem = download_kind(what)->file_stem(download.value->inputs);
  if (what == table_download) return give(stem + ".csv");
  const FileTarget& target = download.value->target;
  return give(stem + "-" + std::string(paper_size(target.paper).name) +
              (target.format == FileFormat::svg ? ".svg" : ".pdf"));
}

}  // extern "C"
