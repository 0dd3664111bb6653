#include "cli/analyze.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "app/page_title.h"
#include "chart/chart_page.h"
#include "cli/analysis_report.h"
#include "cli/arguments.h"
#include "cli/options.h"
#include "cli/output.h"
#include "cli/render.h"
#include "model/number_format.h"

namespace veltrane {
namespace {

// The most radii one analysis may have: max_analysis_radii unless lowered.
std::size_t analysis_radii_limit = max_analysis_radii;

}  // namespace

void limit_analysis_radii(std::size_t most) {
  analysis_radii_limit = std::min(most, max_analysis_radii);
}

int run_analyze(const Request& request, std::ostream& out, std::ostream& err) {
  const ParameterSet set = read_arm(request.window, request.alignment);
  if (has_too_many_radii(set.inner_groove_radius, set.outer_groove_radius, request.analysis.step_mm,
                         analysis_radii_limit))
    throw UsageError{"--step " + shortest_number(request.analysis.step_mm) + " gives more than " +
                     std::to_string(analysis_radii_limit) + " radii between the groove radii"};
  // A step beyond the span has nothing to step over: the two groove radii are all there is.
  const double span_mm = set.outer_groove_radius - set.inner_groove_radius;
  if (std::isfinite(span_mm) && span_mm > 0 && request.analysis.step_mm > span_mm)
    throw UsageError{"--step " + shortest_number(request.analysis.step_mm) +
                     " is more than the outer groove radius less the inner (" +
                     shortest_number(set.outer_groove_radius) + " - " +
                     shortest_number(set.inner_groove_radius) + " mm)"};
  // The rows are computed again as they are written, not kept: a million radii would
  // take a hundred megabytes.
  AnalysisOptions options = request.analysis;
  options.keep_rows = false;
  const Analysis analysis = analyse_alignments(set, options);
  const std::string& format = *request.format;
  if (format == "text" || format == "csv" || format == "json") {
    // CSV has no comments: a table without rows is its header alone, and why goes here.
    if (format == "csv" && analysis.radii_mm.empty())
      err << "veltrane-cli: warning: no radii: " << analysis.no_radii_reason << '\n';
    const auto write = format == "text"  ? write_analysis_text
                       : format == "csv" ? write_analysis_csv
                                         : write_analysis_json;
    return write_output(
        *request.output, [&](const PieceSink& sink) { write(analysis, sink); }, out, err);
  }
  const std::string bytes =
      render_page({*file_format_named(format), request.dpi, request.paper, request.margin_mm},
                  analysis_page_title(set),
                  [&](const PrintOpener& opener) { print_chart_page(set, analysis, opener); });
  return write_output(*request.output, bytes, out, err);
}

}  // namespace veltrane
