#include "cli/alignment_options.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "app/read_fields.h"
#include "cli/arguments.h"
#include "model/geometry.h"
#include "model/number_format.h"

namespace veltrane {
namespace {

// The least length with three decimals whose arm reaches null radii of product P; beyond
// what three decimals can tell apart, the first length above sqrt(P) they show.
double shortest_length_mm(double null_product) {
  if (!(null_product > 0)) return 0.001;
  double length = std::ceil(std::sqrt(null_product) * 1000) / 1000;
  for (int i = 0; i < 3 && !(length * length > null_product); ++i)
    length = (std::round(length * 1000) + 1) / 1000;
  return length;
}

}  // namespace

std::pair<double, double> nulls_argument(std::string_view text) {
  const auto nulls = read_number_pair(text);
  if (!nulls || !(nulls->first > 0 && nulls->second > 0) || nulls->first == nulls->second)
    throw UsageError{
        "--nulls must be two different numbers greater than 0 with a comma "
        "between them (66,121), not '" +
        std::string(text) + "'"};
  return *nulls;
}

MountingError mounting_error_argument(std::string_view text) {
  const auto error = read_number_pair(text);
  if (!error)
    throw UsageError{
        "--mounting-error must be two numbers with a comma between them, mm "
        "forward and degrees turned (0.5,-1), not '" +
        std::string(text) + "'"};
  return {error->first, error->second};
}

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

void apply_alignment_options(const AlignmentOptions& options, ParameterSet& set) {
  if (options.nulls_mm) {
    set.alignment = alignment_custom_nulls;
    set.custom_null_radius_1 = options.nulls_mm->first;
    set.custom_null_radius_2 = options.nulls_mm->second;
  }
  if (options.effective_length_mm) {
    const double length = *options.effective_length_mm;
    const double product = null_radii_product(set);
    const double pivot = pivot_for_effective_length(length, product);
    if (std::isnan(pivot)) {
      if (!std::isfinite(product))
        throw UsageError{
            "--effective-length needs null radii, and these groove radii give none "
            "that are numbers"};
      if (!std::isfinite(length * length))
        throw UsageError{"--effective-length " + shortest_number(length) +
                         " is too large for a pivot distance"};
      ParameterSet nulls = set;
      compute_alignment(nulls);
      throw UsageError{"an arm of effective length " + shortest_number(length) +
                       " mm cannot reach both null radii, " +
                       format_three_decimals(nulls.inner_null_radius) + " and " +
                       format_three_decimals(nulls.outer_null_radius) +
                       " mm; the shortest that can is " +
                       format_three_decimals(shortest_length_mm(product)) + " mm"};
    }
    set.pivot_to_spindle = pivot;
  }
  compute_alignment(set);
}

ParameterSet read_arm(const MainWindowFields& window, const AlignmentOptions& options) {
  ParameterSet set;
  read_parameters(set, window);
  apply_alignment_options(options, set);
  return set;
}

}  // namespace veltrane
