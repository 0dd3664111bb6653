#pragma once

#include <ostream>

namespace veltrane {

struct Request;

/// Runs `veltrane-cli optimize`: the report on `out` in the request's format, then the
/// optimum's template to -o FILE when asked. Returns the exit code: 0 done, 1 when the
/// optimum has fewer than two null radii for a template (the report is printed, `err` says
/// why), 2 for limits that give no optimum, a print option that cannot be, or an output that
/// cannot be written.
int run_optimize(const Request& request, std::ostream& out, std::ostream& err);

}  // namespace veltrane
