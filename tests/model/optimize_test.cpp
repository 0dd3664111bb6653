#include "model/optimize.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <tuple>

#include "computed_set.h"
#include "model/analysis.h"

namespace veltrane {
namespace {

constexpr double inf = std::numeric_limits<double>::infinity();
constexpr double nan = std::numeric_limits<double>::quiet_NaN();

ArmLimits limits_of(double d, double ri, double ro, ValueRange overhang, ValueRange offset,
                    Criterion criterion) {
  ArmLimits limits;
  limits.pivot_to_spindle_mm = d;
  limits.inner_groove_radius_mm = ri;
  limits.outer_groove_radius_mm = ro;
  limits.overhang_mm = overhang;
  limits.offset_deg = offset;
  limits.criterion = criterion;
  return limits;
}

double criterion_of(const ArmFigures& arm, Criterion criterion) {
  return criterion == Criterion::peak ? arm.peak_distortion_percent : arm.rms_distortion_percent;
}

// The criterion of one arm from rows alone, as a spreadsheet would: |D| at 601 radii, or
// Simpson's rule over them; infinite where a radius is out of the arm's reach.
double sampled_criterion(const ArmLimits& limits, double overhang, double offset) {
  constexpr int intervals = 600;
  const double ri = limits.inner_groove_radius_mm;
  const double step = (limits.outer_groove_radius_mm - ri) / intervals;
  double peak = 0;
  double simpson = 0;
  for (int i = 0; i <= intervals; ++i) {
    const double d = tracking_at(limits.pivot_to_spindle_mm, limits.pivot_to_spindle_mm + overhang,
                                 offset, ri + i * step, limits.rpm, limits.velocity_mm_per_s)
                         .distortion_percent;
    if (std::isnan(d)) return inf;
    peak = std::max(peak, std::fabs(d));
    simpson += (i == 0 || i == intervals ? 1 : i % 2 == 1 ? 4 : 2) * d * d;
  }
  return limits.criterion == Criterion::peak ? peak : std::sqrt(simpson / 3 / intervals);
}

// A brute-force search: a 41 x 41 grid over the ranges, then twice a 21 x 21 grid over four
// of the last grid's spacings around its best point.
double brute_force_best(const ArmLimits& limits) {
  ValueRange h = limits.overhang_mm, b = limits.offset_deg;
  double best = inf, best_h = h.from, best_b = b.from;
  for (int round = 0, n = 40; round < 3; ++round, n = 20) {
    for (int i = 0; i <= n; ++i) {
      for (int j = 0; j <= n; ++j) {
        const double hi = h.from + (h.to - h.from) * i / n;
        const double bj = b.from + (b.to - b.from) * j / n;
        const double value = sampled_criterion(limits, hi, bj);
        if (value < best) std::tie(best, best_h, best_b) = std::tuple{value, hi, bj};
      }
    }
    const double h_spacing = (h.to - h.from) / n, b_spacing = (b.to - b.from) / n;
    h = {std::max(limits.overhang_mm.from, best_h - 2 * h_spacing),
         std::min(limits.overhang_mm.to, best_h + 2 * h_spacing)};
    b = {std::max(limits.offset_deg.from, best_b - 2 * b_spacing),
         std::min(limits.offset_deg.to, best_b + 2 * b_spacing)};
  }
  return best;
}

TEST(Optimize, NoWorseThanABruteForceSearch) {
  // clang-format off
  const struct { double d, ri, ro; ValueRange overhang, offset; Criterion criterion; } cases[] = {
      {209,   57.5,   146.05, {-60, 60},  {-40, 60}, Criterion::peak},  // unconstrained
      {239.3, 60.325, 146.05, {10, 20},   {22, 22},  Criterion::peak},  // a fixed offset
      {222,   63,     145,    {15, 15.5}, {20, 30},  Criterion::rms},   // short slots
      {250,   57.6,   146.5,  {-30, -5},  {-10, 10}, Criterion::peak},  // underhung
      {300,   57.6,   146.5,  {0, 20},    {15, 25},  Criterion::rms},
      {180,   60.325, 146.05, {20, 20},   {0, 40},   Criterion::peak},  // a fixed length
      {209,   57.5,   146.05, {-80, 80},  {-90, 90}, Criterion::rms},   // partly out of reach
  };
  // clang-format on
  for (const auto& c : cases) {
    const ArmLimits limits = limits_of(c.d, c.ri, c.ro, c.overhang, c.offset, c.criterion);
    const Optimum optimum = optimize_arm(limits);
    ASSERT_TRUE(optimum.arm) << c.d;
    const ArmFigures& arm = *optimum.arm;
    const double value = criterion_of(arm, c.criterion);
    // Rows only sample the peak, so the best rows may read a little under the true value.
    EXPECT_LE(value, brute_force_best(limits) * (1 + 2e-5)) << c.d;
    EXPECT_NEAR(sampled_criterion(limits, arm.overhang_mm, arm.offset_angle_deg), value,
                2e-5 * value);
    EXPECT_TRUE(arm.overhang_mm >= c.overhang.from && arm.overhang_mm <= c.overhang.to);
    EXPECT_TRUE(arm.offset_angle_deg >= c.offset.from && arm.offset_angle_deg <= c.offset.to);
    EXPECT_EQ(arm.effective_length_mm, c.d + arm.overhang_mm);
    for (double r : arm.null_radii_mm)
      EXPECT_NEAR(tracking_at(c.d, arm.effective_length_mm, arm.offset_angle_deg, r, 1, 1)
                      .tracking_error_deg,
                  0, 1e-9);
  }
}

TEST(Optimize, UnconstrainedLandsBesideTheStandardAlignments) {
  // The exact peak optimum lies beside Löfgren A and the exact RMS optimum beside Löfgren B,
  // which solve the same problems for the small-angle tracking error; each is no worse than
  // the alignment at the alignment's own criterion.
  // clang-format off
  const struct { double d, ri, ro; } cases[] = {
      {209, 57.5, 146.05}, {239.3, 60.325, 146.05}, {222, 63, 145}, {300, 57.6, 146.5},
  };
  // clang-format on
  for (const auto& c : cases) {
    for (const auto& [criterion, alignment] :
         {std::pair{Criterion::peak, alignment_lofgren_a}, {Criterion::rms, alignment_lofgren_b}}) {
      const ParameterSet set = computed_set(c.d, c.ri, c.ro, alignment);
      const ArmFigures standard =
          arm_figures({c.d, set.effective_length, set.offset_angle, c.ri, c.ro, 100.0 / 3, 100});
      const Optimum optimum =
          optimize_arm(limits_of(c.d, c.ri, c.ro, {-50, 50}, {-45, 45}, criterion));
      ASSERT_TRUE(optimum.arm);
      EXPECT_NEAR(optimum.arm->overhang_mm, set.overhang, 0.15) << c.d;
      EXPECT_NEAR(optimum.arm->offset_angle_deg, set.offset_angle, 0.1) << c.d;
      EXPECT_LE(criterion_of(*optimum.arm, criterion), criterion_of(standard, criterion));
      EXPECT_EQ(optimum.arm->null_radii_mm.size(), 2u);
    }
  }
}

TEST(Optimize, FixedRangesGiveTheArmAsAnalysed) {
  // clang-format off
  const struct { double d, h, beta; std::size_t nulls; } cases[] = {
      {209, 17.3, 23.8, 2}, {239.3, 16, 22, 2}, {250, -12, 8, 1}, {222, 2, 5, 0},
  };
  // clang-format on
  for (const auto& c : cases) {
    for (const Criterion criterion : {Criterion::peak, Criterion::rms}) {
      const Optimum optimum =
          optimize_arm(limits_of(c.d, 60.325, 146.05, {c.h, c.h}, {c.beta, c.beta}, criterion));
      ASSERT_TRUE(optimum.arm);
      AnalysisOptions options;
      options.as_given = ArmAsGiven{c.d + c.h, c.beta};
      const ArmAnalysis given =
          analyse_alignments(computed_set(c.d, 60.325, 146.05), options).arms.back();
      EXPECT_EQ(optimum.arm->peak_distortion_percent, given.peak_distortion.magnitude);
      EXPECT_EQ(optimum.arm->peak_distortion_radius_mm, given.peak_distortion.radius_mm);
      EXPECT_EQ(optimum.arm->rms_distortion_percent, given.rms_distortion_percent);
      EXPECT_EQ(optimum.arm->null_radii_mm.size(), c.nulls);
    }
  }
}

TEST(Optimize, LimitsWithoutAnOptimumAreProblems) {
  // clang-format off
  const struct { ArmLimits limits; std::string_view field; const char* says; } cases[] = {
      {limits_of(209, 57.5, 146.05, {20, 10}, {0, 30}, Criterion::peak), "overhang-range",
       "the overhang range runs backwards, from 20 to 10 mm"},
      {limits_of(209, 57.5, 146.05, {10, 20}, {30, 0}, Criterion::rms), "offset-range",
       "the offset angle range runs backwards"},
      {limits_of(209, 57.5, 146.05, {nan, 20}, {0, 30}, Criterion::peak), "overhang-range",
       "must be two finite numbers"},
      {limits_of(209, 57.5, 146.05, {0, 20}, {0, inf}, Criterion::peak), "offset-range",
       "must be two finite numbers"},
      {limits_of(209, 57.5, 146.05, {0, 20}, {-100, 30}, Criterion::peak), "offset-range",
       "within -90 to 90 degrees"},
      {limits_of(209, 57.5, 146.05, {60, 80}, {0, 30}, Criterion::peak), "overhang-range",
       "no arm with an overhang from 60 to 80 mm reaches the whole record (57.5 to 146.05 mm) "
       "at a pivot distance of 209 mm; overhangs from -57.5 to 57.5 mm do"},
      {limits_of(50, 57.5, 146.05, {-10, 10}, {0, 30}, Criterion::peak), "overhang-range",
       "overhangs from 46.05 to 57.5 mm do"},
      {limits_of(0, 57.5, 146.05, {0, 20}, {0, 30}, Criterion::peak), "pivot",
       "the pivot distance must be a finite number of mm above 0, not 0"},
      {limits_of(209, 146.05, 57.5, {0, 20}, {0, 30}, Criterion::peak), "inner", "inner less"},
      {limits_of(209, 0, 146.05, {0, 20}, {0, 30}, Criterion::peak), "inner", "above 0"},
  };
  // clang-format on
  for (const auto& c : cases) {
    const Optimum optimum = optimize_arm(c.limits);
    EXPECT_FALSE(optimum.arm) << c.says;
    ASSERT_EQ(optimum.problems.size(), 1u) << c.says;
    EXPECT_EQ(optimum.problems[0].field, c.field);
    EXPECT_NE(optimum.problems[0].message.find(c.says), std::string::npos)
        << optimum.problems[0].message;
  }
}

}  // namespace
}  // namespace veltrane
