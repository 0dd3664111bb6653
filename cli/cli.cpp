#include "cli/cli.h"

#include <string>

#include "app/page_kinds.h"
#include "app/render.h"
#include "cli/analyze.h"
#include "cli/arguments.h"
#include "cli/calibrate_command.h"
#include "cli/options.h"
#include "cli/output.h"
#include "model/summary.h"
#include "model/version.h"

namespace veltrane {
namespace {

// The page kind each page command draws.
std::string_view page_key(Command command) {
  switch (command) {
    case Command::strobe_60hz:
      return "strobe-60hz";
    case Command::strobe_50hz:
      return "strobe-50hz";
    case Command::strobe_custom:
      return "strobe-custom";
    case Command::strobe_speed:
      return "strobe-speed";
    default:
      return "template";
  }
}

void report_strobe_rings(std::span<const StrobeRing> rings, std::ostream& err) {
  const char* const names[] = {"outer ring", "inner ring"};
  for (std::size_t i = 0; i < rings.size() && i < 2; ++i)
    err << describe_strobe_ring(names[i], rings[i]) << '\n';
}

int run_page(const Request& request, std::ostream& out, std::ostream& err) {
  const Resolved<ResolvedPage> page =
      resolve_page(page_kind(page_key(request.command)), request.page, reading_of(request));
  if (!page.value) return report_problems(request, page.problems, err);
  report_warnings(page.warnings, err);
  report_strobe_rings(page.value->inputs.rings, err);
  return write_output(
      *request.output,
      render_page(page_kind(page_key(request.command)), page.value->inputs, page.value->target),
      out, err);
}

int run_request(const Request& request, std::ostream& out, std::ostream& err,
                const CliLimits& limits) {
  if (request.command == Command::help || request.help) {
    out << help_text(request.help_commands);
    return 0;
  }
  if (request.command == Command::version) {
    out << "veltrane-cli " << version << '\n';
    return 0;
  }
  switch (request.command) {
    case Command::summary: {
      const Resolved<ParameterSet> arm = resolve_arm(request.page.arm, reading_of(request));
      if (!arm.value) return report_problems(request, arm.problems, err);
      out << build_parameter_summary(*arm.value) << '\n';
      return 0;
    }
    case Command::calibrate:
      return run_calibrate(request, out, err);
    case Command::analyze:
      return run_analyze(request, limits.most_analysis_radii, out, err);
    default:
      return run_page(request, out, err);
  }
}

}  // namespace

Reading reading_of(const Request& request) {
  return request.as_typed ? Reading::as_typed : Reading::strict;
}

int report_problems(const Request& request, const Problems& problems, std::ostream& err) {
  // One problem at a time: the first is the one to mend first.
  if (!problems.empty()) err << "veltrane-cli: " << problems.front().words << '\n';
  err << usage_line(request.command) << '\n';
  return 2;
}

void report_warnings(std::span<const std::string> warnings, std::ostream& err) {
  for (const std::string& warning : warnings) err << "veltrane-cli: warning: " << warning << '\n';
}

int run_cli(std::span<const std::string_view> args, std::ostream& out, std::ostream& err,
            const CliLimits& limits) {
  Request request;
  try {
    parse_request(args, request);
    return run_request(request, out, err, limits);
  } catch (const UsageError& error) {
    err << "veltrane-cli: " << error.message << '\n' << usage_line(request.command) << '\n';
    return 2;
  }
}

}  // namespace veltrane
