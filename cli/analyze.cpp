#include "cli/analyze.h"

#include <string>

#include "app/page_kinds.h"
#include "app/render.h"
#include "cli/analysis_report.h"
#include "cli/options.h"
#include "cli/output.h"

namespace veltrane {

int run_analyze(const Request& request, std::size_t most_radii, std::ostream& out,
                std::ostream& err) {
  const std::string& format = *request.format;
  if (file_format_named(format)) {
    const PageKind& chart = page_kind("chart");
    const Resolved<ResolvedPage> page =
        resolve_page(chart, request.page, reading_of(request), most_radii);
    if (!page.value) return report_problems(request, page.problems, err);
    report_warnings(page.warnings, err);
    return write_output(*request.output, render_page(chart, page.value->inputs, page.value->target),
                        out, err);
  }
  const Resolved<ParameterSet> arm = resolve_arm(request.page.arm, reading_of(request));
  if (!arm.value) return report_problems(request, arm.problems, err);
  Resolved<AnalysisOptions> options =
      resolve_analysis(request.page.analysis, *arm.value, most_radii);
  if (!options.value) return report_problems(request, options.problems, err);
  // The rows are computed again as they are written, not kept: a million radii would
  // take a hundred megabytes.
  options.value->keep_rows = false;
  const Analysis analysis = analyse_alignments(*arm.value, *options.value);
  // CSV has no comments: a table without rows is its header alone, and why goes here.
  if (format == "csv" && analysis.radii_mm.empty())
    err << "veltrane-cli: warning: no radii: " << analysis.no_radii_reason << '\n';
  const auto write = format == "text"  ? write_analysis_text
                     : format == "csv" ? write_analysis_csv
                                       : write_analysis_json;
  return write_output(
      *request.output, [&](const PieceSink& sink) { write(analysis, sink); }, out, err);
}

}  // namespace veltrane
