#pragma once

#include <cstddef>
#include <ostream>

namespace veltrane {

struct Request;

/// Runs `veltrane-cli analyze` as `request` asks. Returns the exit code: 0 done, 2 for an
/// output that cannot be written. Throws UsageError for a step that gives too many radii.
int run_analyze(const Request& request, std::ostream& out, std::ostream& err);

/// Lowers the most radii analyze accepts (max_analysis_radii) for the rest of the process:
/// a fuzz target's inputs must each run in a few seconds under the sanitizers, where a
/// million radii take twenty and two gigabytes.
void limit_analysis_radii(std::size_t most);

}  // namespace veltrane
