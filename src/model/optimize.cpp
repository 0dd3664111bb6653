#include "model/optimize.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "model/analysis.h"
#include "model/golden_section.h"
#include "model/number_format.h"

namespace veltrane {
namespace {

constexpr double infinity = std::numeric_limits<double>::infinity();

// Grid sizes and tolerances of the search. The overhang's objective may have several
// valleys, which a grid of this many points separates on any practical range; in the offset
// the objective has one valley, and the coarse grid only guards the golden section.
constexpr int overhang_samples = 101;
constexpr int offset_samples = 9;
constexpr std::size_t valleys_refined = 4;
constexpr double overhang_tolerance_mm = 1e-6;
constexpr double offset_tolerance_deg = 1e-7;

struct Point {
  double overhang_mm = 0;
  double offset_deg = 0;
  double value = infinity;
};

ArmOnRecord arm_at(const ArmLimits& limits, double overhang_mm, double offset_deg) {
  return {limits.pivot_to_spindle_mm,
          limits.pivot_to_spindle_mm + overhang_mm,
          offset_deg,
          limits.inner_groove_radius_mm,
          limits.outer_groove_radius_mm,
          limits.rpm,
          limits.velocity_mm_per_s};
}

// The criterion in units of 100 v / omega (the optimum does not depend on them); arms that do
// not reach the whole record are never the optimum.
double objective(const ArmLimits& limits, double overhang_mm, double offset_deg) {
  const ArmOnRecord arm = arm_at(limits, overhang_mm, offset_deg);
  if (!reaches_whole_record(arm)) return infinity;
  const double value =
      limits.criterion == Criterion::peak ? unit_peak_distortion(arm) : unit_rms_distortion(arm);
  if (std::isnan(value)) return infinity;
  return value;
}

// The value at `x` of `count` points spread evenly over [from, to], the ends exact.
double grid_point(const ValueRange& range, int i, int count) {
  if (count < 2 || i == 0) return range.from;
  if (i == count - 1) return range.to;
  return range.from + (range.to - range.from) * i / (count - 1);
}

// The bracket around grid point i: its neighbours, or the range's end.
ValueRange bracket(const ValueRange& range, int i, int count) {
  return {grid_point(range, std::max(i - 1, 0), count),
          grid_point(range, std::min(i + 1, count - 1), count)};
}

// The best offset for one overhang.
Point best_offset(const ArmLimits& limits, double overhang_mm) {
  const ValueRange& offsets = limits.offset_deg;
  const auto value = [&](double offset) { return objective(limits, overhang_mm, offset); };
  if (!(offsets.to > offsets.from)) return {overhang_mm, offsets.from, value(offsets.from)};
  int best = 0;
  double best_value = infinity;
  for (int i = 0; i < offset_samples; ++i) {
    const double v = value(grid_point(offsets, i, offset_samples));
    if (v < best_value) {
      best = i;
      best_value = v;
    }
  }
  const ValueRange around = bracket(offsets, best, offset_samples);
  const double offset = golden_minimum(value, around.from, around.to, offset_tolerance_deg);
  return {overhang_mm, offset, value(offset)};
}

std::string mm_text(double value) {
  return format_up_to_three_decimals(value);
}

void check_range(const ValueRange& range, std::string_view field, std::string_view what,
                 std::string_view unit, std::vector<LimitsProblem>& problems) {
  if (!(std::isfinite(range.from) && std::isfinite(range.to))) {
    problems.push_back({field, "the " + std::string(what) + " range must be two finite numbers"});
  } else if (range.from > range.to) {
    problems.push_back({field, "the " + std::string(what) + " range runs backwards, from " +
                                   mm_text(range.from) + " to " + mm_text(range.to) + " " +
                                   std::string(unit) + ": give the smaller end first (" +
                                   mm_text(range.to) + "," + mm_text(range.from) + ")"});
  }
}

std::vector<LimitsProblem> limits_problems(const ArmLimits& limits) {
  std::vector<LimitsProblem> problems;
  const double d = limits.pivot_to_spindle_mm;
  const double ri = limits.inner_groove_radius_mm;
  const double ro = limits.outer_groove_radius_mm;
  if (!(std::isfinite(d) && d > 0))
    problems.push_back(
        {"pivot", "the pivot distance must be a finite number of mm above 0, not " + mm_text(d)});
  if (!(std::isfinite(ri) && std::isfinite(ro) && ri > 0 && ri < ro))
    problems.push_back({"inner",
                        "the groove radii must be finite, above 0, the inner less than "
                        "the outer, not " +
                            mm_text(ri) + " and " + mm_text(ro) + " mm"});
  check_range(limits.overhang_mm, "overhang-range", "overhang", "mm", problems);
  check_range(limits.offset_deg, "offset-range", "offset angle", "degrees", problems);
  const ValueRange& offsets = limits.offset_deg;
  if (std::isfinite(offsets.from) && std::isfinite(offsets.to) &&
      !(offsets.from >= -90 && offsets.to <= 90))
    problems.push_back(
        {"offset-range", "the offset angle range must lie within -90 to 90 degrees, not " +
                             mm_text(offsets.from) + " to " + mm_text(offsets.to)});
  return problems;
}

// The first overhang from `outside` towards `inside` whose arm reaches the whole record.
double reaching_end(const ArmLimits& limits, double outside, double inside) {
  for (int i = 0; i < 2100; ++i) {
    const double middle = outside + (inside - outside) / 2;
    if (middle == outside || middle == inside) break;
    (reaches_whole_record(arm_at(limits, middle, 0)) ? inside : outside) = middle;
  }
  return inside;
}

}  // namespace

std::string_view criterion_key(Criterion criterion) {
  return criterion == Criterion::peak ? "peak" : "rms";
}

std::string_view optimum_name(Criterion criterion) {
  return criterion == Criterion::peak ? "Your arm's optimum (peak)" : "Your arm's optimum (RMS)";
}

ArmFigures arm_figures(const ArmOnRecord& arm) {
  const ContinuumFigures figures = continuum_figures(arm);
  ArmFigures result;
  result.overhang_mm = arm.effective_length_mm - arm.pivot_to_spindle_mm;
  result.effective_length_mm = arm.effective_length_mm;
  result.offset_angle_deg = arm.offset_angle_deg;
  const auto [inner, outer] =
      null_radii_as_given(arm.pivot_to_spindle_mm, arm.effective_length_mm, arm.offset_angle_deg);
  for (double r : {inner, outer})
    if (!std::isnan(r)) result.null_radii_mm.push_back(r);
  result.peak_distortion_percent = figures.peak_distortion.magnitude;
  result.peak_distortion_radius_mm = figures.peak_distortion.radius_mm;
  result.rms_distortion_percent = figures.rms_distortion_percent;
  return result;
}

std::optional<ValueRange> reaching_overhangs(double d_mm, double ri_mm, double ro_mm) {
  // Every r of the record needs |d - r| <= L <= d + r.
  ValueRange range{std::max(std::fabs(d_mm - ri_mm), std::fabs(d_mm - ro_mm)) - d_mm, ri_mm};
  if (!(range.from <= range.to)) return std::nullopt;
  ArmLimits limits;
  limits.pivot_to_spindle_mm = d_mm;
  limits.inner_groove_radius_mm = ri_mm;
  limits.outer_groove_radius_mm = ro_mm;
  const auto reaches = [&](double h) { return reaches_whole_record(arm_at(limits, h, 0)); };
  const bool from_reaches = reaches(range.from);
  const bool to_reaches = reaches(range.to);
  if (from_reaches && to_reaches) return range;
  const double middle = range.from + (range.to - range.from) / 2;
  const double inside = from_reaches ? range.from : to_reaches ? range.to : middle;
  if (!reaches(inside)) return std::nullopt;
  if (!from_reaches) range.from = reaching_end(limits, range.from, inside);
  if (!to_reaches) range.to = reaching_end(limits, range.to, inside);
  return range;
}

Optimum optimize_arm(const ArmLimits& limits) {
  Optimum optimum;
  optimum.problems = limits_problems(limits);
  if (!optimum.problems.empty()) return optimum;
  const double d = limits.pivot_to_spindle_mm;
  const ValueRange& asked = limits.overhang_mm;
  const std::optional<ValueRange> reaching =
      reaching_overhangs(d, limits.inner_groove_radius_mm, limits.outer_groove_radius_mm);
  ValueRange overhangs = asked;
  if (reaching) {
    overhangs.from = std::max(asked.from, reaching->from);
    overhangs.to = std::min(asked.to, reaching->to);
  }
  if (!reaching || overhangs.from > overhangs.to) {
    std::string message = "no arm with an overhang from " + mm_text(asked.from) + " to " +
                          mm_text(asked.to) + " mm reaches the whole record (" +
                          mm_text(limits.inner_groove_radius_mm) + " to " +
                          mm_text(limits.outer_groove_radius_mm) + " mm) at a pivot distance of " +
                          mm_text(d) + " mm";
    if (reaching)
      message +=
          "; overhangs from " + mm_text(reaching->from) + " to " + mm_text(reaching->to) + " mm do";
    optimum.problems.push_back({"overhang-range", message});
    return optimum;
  }

  const int count = overhangs.to > overhangs.from ? overhang_samples : 1;
  std::vector<Point> grid;
  grid.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i)
    grid.push_back(best_offset(limits, grid_point(overhangs, i, count)));
  // The valleys of the grid, best first; each is refined between its neighbours.
  std::vector<int> valleys;
  for (int i = 0; i < count; ++i) {
    const bool below_left = i == 0 || grid[i].value <= grid[i - 1].value;
    const bool below_right = i == count - 1 || grid[i].value <= grid[i + 1].value;
    if (below_left && below_right) valleys.push_back(i);
  }
  std::sort(valleys.begin(), valleys.end(),
            [&](int a, int b) { return grid[a].value < grid[b].value; });
  if (valleys.size() > valleys_refined) valleys.resize(valleys_refined);
  Point best = grid[static_cast<std::size_t>(valleys.front())];
  for (const int i : valleys) {
    if (count < 2) break;
    const ValueRange around = bracket(overhangs, i, count);
    const auto value = [&](double h) { return best_offset(limits, h).value; };
    const Point point =
        best_offset(limits, golden_minimum(value, around.from, around.to, overhang_tolerance_mm));
    if (point.value < best.value) best = point;
  }
  if (!std::isfinite(best.value)) {
    optimum.problems.push_back({"overhang-range",
                                "no arm within these ranges has a distortion "
                                "that is a number over the whole record"});
    return optimum;
  }
  optimum.arm = arm_figures(arm_at(limits, best.overhang_mm, best.offset_deg));
  return optimum;
}

}  // namespace veltrane
