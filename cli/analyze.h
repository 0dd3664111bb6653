#pragma once

#include <ostream>
#include <span>
#include <string>
#include <string_view>

#include "model/analysis.h"

namespace veltrane {

/// The --help section of the analyze command.
extern const std::string_view analyze_help_text;

/// Runs `veltrane-cli analyze` on the words after "analyze". Returns the exit code: 0 done,
/// 2 for a mistake in the arguments or an output that cannot be written.
int run_analyze(std::span<const std::string_view> args, std::ostream& out, std::ostream& err);

/// Lowers the most radii analyze accepts (max_analysis_radii) for the rest of the process:
/// a fuzz target's inputs must each run in a few seconds under the sanitizers, where a
/// million radii take twenty and two gigabytes.
void limit_analysis_radii(std::size_t most);

/// The comparison and the per-radius table, UTF-8, ending in a line feed.
std::string analysis_text(const Analysis& analysis);

/// A header line and one line per arm and radius.
std::string analysis_csv(const Analysis& analysis);

/// The inputs and, per arm, its geometry, peaks and rows.
std::string analysis_json(const Analysis& analysis);

/// Shortest text that reads back as the same double ("inf", "-inf", "nan" for the others).
std::string shortest_number(double value);

}  // namespace veltrane
