#include "cli/analyze.h"

#include <algorithm>
#include <string>

#include "chart/chart_page.h"
#include "cli/analysis_report.h"
#include "cli/arguments.h"
#include "cli/options.h"
#include "cli/output.h"
#include "cli/page_title.h"
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
  const Analysis analysis = analyse_alignments(set, request.analysis);
  const std::string& format = *request.format;
  std::string bytes;
  if (format == "text") {
    bytes = analysis_text(analysis);
  } else if (format == "csv") {
    // CSV has no comments: a table without rows is its header alone, and why goes here.
    bytes = analysis_csv(analysis);
    if (analysis.radii_mm.empty())
      err << "veltrane-cli: no radii: " << analysis.no_radii_reason << '\n';
  } else if (format == "json") {
    bytes = analysis_json(analysis);
  } else {
    bytes = render_page({*file_format_named(format), request.dpi, request.paper, request.margin_mm},
                        analysis_page_title(set), [&](const PrintOpener& opener) {
                          print_chart_page(set, analysis, opener);
                        });
  }
  return write_output(*request.output, bytes, out, err);
}

}  // namespace veltrane
