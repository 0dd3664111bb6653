#include "cli/optimize_command.h"

#include <optional>
#include <string>

#include "app/optimize.h"
#include "app/page_kinds.h"
#include "app/render.h"
#include "app/requests.h"
#include "cli/optimize_report.h"
#include "cli/options.h"
#include "cli/output.h"

namespace veltrane {

int run_optimize(const Request& request, std::ostream& out, std::ostream& err) {
  const Reading reading = reading_of(request);
  const Resolved<ParameterSet> arm = resolve_arm(request.page.arm, reading);
  if (!arm.value) return report_problems(request, arm.problems, err);
  const ParameterSet& set = *arm.value;
  const Resolved<ArmOptimum> found = resolve_optimum(request.optimize, set);
  if (!found.value) return report_problems(request, found.problems, err);
  // Whatever would stop the template is found before the report is printed.
  std::optional<FileTarget> target;
  if (request.output) {
    const Resolved<FileTarget> print = resolve_print(request.page.print, reading);
    if (!print.value) return report_problems(request, print.problems, err);
    target = print.value;
  }

  const ArmOptimum& optimum = *found.value;
  const std::string report = optimum_report(set, optimum, *request.format == "json");
  if (target) {
    Resolved<PageInputs> inputs = optimum_template(set, optimum);
    if (!inputs.value) {
      // The report stands; only the template cannot be drawn.
      const int code = write_output("-", report, out, err);
      if (code != 0) return code;
      err << "veltrane-cli: no template: " << inputs.problems.front().words << '\n';
      return 1;
    }
    // The template before the report, so that a file that cannot be written ends in its one
    // problem rather than after a report that looks like success.
    const PageKind& kind = page_kind("template");
    const Resolved<ResolvedPage> page = place_page(kind, std::move(*inputs.value), *target);
    report_warnings(page.warnings, err);
    const int code = write_output(
        *request.output, render_page(kind, page.value->inputs, page.value->target), out, err);
    if (code != 0) return code;
  }
  return write_output("-", report, out, err);
}

}  // namespace veltrane
