#pragma once

#include <cstddef>
#include <ostream>
#include <span>
#include <string_view>

#include "model/analysis.h"

namespace veltrane {

/// What one run may take. A fuzz target lowers the radii: its inputs must each run in a few
/// seconds under the sanitizers, where a million radii take twenty and two gigabytes.
struct CliLimits {
  std::size_t most_analysis_radii = max_analysis_radii;
};

/// Runs veltrane-cli on its arguments (without the program name). Returns the exit code:
/// 0 on success, 2 for a mistake in the arguments, a request that cannot be answered or an
/// output that cannot be written.
int run_cli(std::span<const std::string_view> args, std::ostream& out, std::ostream& err,
            const CliLimits& limits = {});

}  // namespace veltrane
