#include "cli/alignment_options.h"

#include <algorithm>
#include <string>

#include "cli/arguments.h"

namespace veltrane {

void check_exclusive_options(std::span<const std::string_view> given) {
  const auto has = [&given](std::string_view name) {
    return std::find(given.begin(), given.end(), name) != given.end();
  };
  // clang-format off
  const struct { std::string_view first, second, why; } pairs[] = {
      {"--effective-length", "--pivot", "the effective length sets the pivot distance"},
      {"--radii", "--inner", "the preset sets both groove radii"},
      {"--radii", "--outer", "the preset sets both groove radii"},
  };
  // clang-format on
  for (const auto& p : pairs) {
    if (has(p.first) && has(p.second))
      throw UsageError{std::string(p.first) + " and " + std::string(p.second) +
                       " cannot go together: " + std::string(p.why)};
  }
}

}  // namespace veltrane
