#include "app/optimize.h"

#include <optional>
#include <string_view>

#include "app/requests.h"
#include "model/alignments.h"
#include "model/geometry.h"
#include "model/number_format.h"

namespace veltrane {
namespace {

// clang-format off
constexpr Quantity overhang_range_q{"overhang-range", "overhang range", "mm"};
constexpr Quantity offset_range_q{"offset-range", "offset angle range", "degrees"};
// clang-format on

// "H1,H2", or one number for both ends. The ends as typed: a reversed range reaches the
// search, which says which way round it should be.
std::optional<ValueRange> read_range(const Quantity& quantity, std::string_view text,
                                     std::string_view example, ProblemList& list) {
  const auto comma = text.find(',');
  const auto from = read_typed_number(text.substr(0, comma), Reading::strict);
  const auto to = comma == std::string_view::npos
                      ? from
                      : read_typed_number(text.substr(comma + 1), Reading::strict);
  if (from && to) return ValueRange{*from, *to};
  list.add(quantity.field, std::string(quantity.name) + " must be two numbers of " +
                               std::string(quantity.unit) + " with a comma between them (" +
                               std::string(example) + "), or one number that fixes it, not " +
                               quoted_text(text));
  return std::nullopt;
}

}  // namespace

Resolved<ArmOptimum> resolve_optimum(const OptimizeRequest& request, const ParameterSet& set) {
  ProblemList list(Reading::strict);
  const auto overhangs = read_range(overhang_range_q, request.overhang_range, "10,20", list);
  const auto offsets = read_range(offset_range_q, request.offset_range, "18,26", list);
  AnalysisOptions signal;
  read_signal(request.rpm, request.velocity, list, signal);
  if (!list.empty()) return {std::nullopt, list.problems(), {}};

  ArmOptimum result;
  ArmLimits& limits = result.limits;
  limits.pivot_to_spindle_mm = set.pivot_to_spindle;
  limits.inner_groove_radius_mm = set.inner_groove_radius;
  limits.outer_groove_radius_mm = set.outer_groove_radius;
  limits.overhang_mm = *overhangs;
  limits.offset_deg = *offsets;
  limits.criterion = request.criterion;
  limits.rpm = signal.rpm;
  limits.velocity_mm_per_s = signal.velocity_mm_per_s;
  const Optimum optimum = optimize_arm(limits);
  if (!optimum.arm) {
    for (const LimitsProblem& problem : optimum.problems) list.add(problem.field, problem.message);
    return {std::nullopt, list.problems(), {}};
  }
  result.optimum = *optimum.arm;
  result.standard = arm_figures({set.pivot_to_spindle, set.effective_length, set.offset_angle,
                                 set.inner_groove_radius, set.outer_groove_radius, limits.rpm,
                                 limits.velocity_mm_per_s});
  result.standard.null_radii_mm = {set.inner_null_radius, set.outer_null_radius};
  return {result, {}, {}};
}

Resolved<PageInputs> optimum_template(const ParameterSet& set, const ArmOptimum& optimum) {
  const std::vector<double>& nulls = optimum.optimum.null_radii_mm;
  if (nulls.size() < 2) {
    const std::string has = nulls.empty()
                                ? "no null radius"
                                : "one null radius (" + format_three_decimals(nulls[0]) + " mm)";
    return {std::nullopt,
            {{"optimum", "the optimum has " + has +
                             ", and a template needs two null points to align the cartridge at"}},
            {}};
  }
  PageInputs inputs;
  inputs.set = set;
  inputs.set.alignment = alignment_custom_nulls;
  inputs.set.custom_null_radius_1 = nulls[0];
  inputs.set.custom_null_radius_2 = nulls[1];
  compute_alignment(inputs.set);
  inputs.heading = optimum_name(optimum.limits.criterion);
  return {inputs, {}, {}};
}

}  // namespace veltrane
