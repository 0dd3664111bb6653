#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "model/optimize.h"

namespace veltrane {

struct Request;

/// optimize's own options as given.
struct OptimizeArguments {
  std::optional<ValueRange> overhang_mm;  ///< --overhang-range
  std::optional<ValueRange> offset_deg;   ///< --offset-range
  Criterion criterion = Criterion::peak;
  std::optional<std::string> template_format;  ///< from -o FILE's extension
};

/// A range option's value: two numbers with a comma between them ("10,20"), or one that
/// fixes it ("22"); the numbers as given, so a reversed range reaches the search, which says
/// what is wrong with it. Throws UsageError for anything that is not finite numbers.
ValueRange range_argument(std::string_view option, std::string_view text);

/// Runs `veltrane-cli optimize`: the report on `out` in the request's format, then the
/// optimum's template to -o FILE when asked. Returns the exit code: 0 done, 1 when the
/// optimum has fewer than two null radii for a template (the report is printed, `err` says
/// why), 2 for an output that cannot be written. Throws UsageError for limits that give no
/// optimum.
int run_optimize(const Request& request, std::ostream& out, std::ostream& err);

}  // namespace veltrane
