#include "model/geometry.h"

#include <gtest/gtest.h>

#include <cmath>

#include "computed_set.h"
#include "model/number_format.h"

namespace veltrane {
namespace {

std::string shown(const ParameterSet& s) {
  return format_three_decimals(s.inner_null_radius) + ' ' +
         format_three_decimals(s.outer_null_radius) + ' ' +
         format_three_decimals(s.effective_length) + ' ' + format_three_decimals(s.overhang) + ' ' +
         format_three_decimals(s.offset_angle);
}

constexpr double inf = INFINITY;
constexpr std::int16_t A = alignment_lofgren_a;
constexpr std::int16_t B = alignment_lofgren_b;
constexpr std::int16_t S = alignment_stevenson_a;

TEST(ComputeAlignment, MatchesTheReferenceTable) {
  // clang-format off
  const struct { double d, ri, ro; std::int16_t alignment; const char* expected; } rows[] = {
      {209,   57.5,   146.05, A, "63.103 119.173 226.277 17.277 23.752"},
      {209,   57.5,   146.05, B, "67.414 114.862 226.769 17.769 23.697"},
      {209,   57.5,   146.05, S, "57.500 115.522 224.329 15.329 22.684"},
      {209,   60.325, 146.05, A, "65.998 120.891 227.287 18.287 24.276"},
      {209,   60.325, 146.05, B, "70.285 116.604 227.764 18.764 24.222"},
      {209,   60.325, 146.05, S, "60.325 117.417 225.309 16.309 23.231"},
      {209,   63,     145,    A, "68.689 121.786 228.137 19.137 24.674"},
      {209,   63,     145,    B, "72.903 117.572 228.588 19.588 24.622"},
      {209,   63,     145,    S, "63.000 118.527 226.160 17.160 23.661"},
      {239.3, 60.325, 146.05, A, "65.998 120.891 255.427 16.127 21.459"},
      {239.3, 60.325, 146.05, B, "70.285 116.604 255.852 16.552 21.422"},
      {239.3, 60.325, 146.05, S, "60.325 117.417 253.668 14.368 20.508"},
      // swapped radii
      {209,   146.05, 57.5,   S, "146.050 64.177 230.335 21.335 27.152"},
      // a distance of 0
      {0,     57.5,   146.05, A, "63.103 119.173 86.719 86.719 -84.321"},
      // a distance below half the distance of the null radii
      {20,    57.5,   146.05, A, "63.103 119.173 88.995 68.995 -87.276"},
  };
  // clang-format on
  for (const auto& r : rows) {
    EXPECT_EQ(shown(computed_set(r.d, r.ri, r.ro, r.alignment)), r.expected)
        << r.d << ' ' << r.ri << ' ' << r.ro << ' ' << r.alignment;
  }
}

TEST(ComputeAlignment, LofgrenBKeepsItsMeanNullRadius) {
  EXPECT_EQ(format_three_decimals(computed_set(209, 57.5, 146.05, B).null_radius_mean), "91.138");
  ParameterSet set = computed_set(209, 57.5, 146.05, B);
  set.alignment = A;
  compute_alignment(set);
  EXPECT_EQ(format_three_decimals(set.null_radius_mean), "91.138");
}

TEST(ComputeAlignment, NullRadiiOfLofgrenDoNotDependOnDistance) {
  for (std::int16_t alignment : {A, B}) {
    const ParameterSet near = computed_set(180, 57.5, 146.05, alignment);
    const ParameterSet far = computed_set(300, 57.5, 146.05, alignment);
    EXPECT_EQ(near.inner_null_radius, far.inner_null_radius);
    EXPECT_EQ(near.outer_null_radius, far.outer_null_radius);
  }
}

TEST(ComputeAlignment, SwappedRadiiSwapTheNullRadiiOfLofgrenA) {
  const ParameterSet straight = computed_set(209, 57.5, 146.05, A);
  const ParameterSet swapped = computed_set(209, 146.05, 57.5, A);
  EXPECT_EQ(shown(swapped), "119.173 63.103 226.277 17.277 23.752");
  EXPECT_DOUBLE_EQ(swapped.inner_null_radius, straight.outer_null_radius);
}

TEST(ComputeAlignment, DegenerateRadiiGiveNotANumber) {
  for (std::int16_t alignment : {A, B}) {
    const ParameterSet set = computed_set(209, 0, 146.05, alignment);
    EXPECT_EQ(set.inner_null_radius, 0);
    EXPECT_EQ(set.outer_null_radius, 0);
    EXPECT_EQ(set.effective_length, 209);
    EXPECT_EQ(set.overhang, 0);
    EXPECT_TRUE(std::isnan(set.offset_angle));
  }
  const ParameterSet stevenson = computed_set(209, 0, 146.05, S);
  EXPECT_EQ(stevenson.inner_null_radius, 0);
  EXPECT_TRUE(std::isnan(stevenson.outer_null_radius));
  EXPECT_TRUE(std::isnan(stevenson.offset_angle));
  for (std::int16_t alignment : {A, B, S})
    EXPECT_TRUE(std::isnan(computed_set(209, 0, 0, alignment).offset_angle)) << alignment;
}

TEST(ComputeAlignment, UnknownCodeOnlyRecomputesTheOffsetAngle) {
  ParameterSet set = computed_set(209, 57.5, 146.05, A);
  const ParameterSet before = set;
  set.alignment = 7;
  set.pivot_to_spindle = 239.3;
  compute_alignment(set);
  EXPECT_EQ(set.inner_null_radius, before.inner_null_radius);
  EXPECT_EQ(set.effective_length, before.effective_length);
  EXPECT_EQ(set.overhang, before.overhang);
  EXPECT_NE(set.offset_angle, before.offset_angle);
}

TEST(ComputeAlignment, CustomNulls) {
  ParameterSet set;
  set.pivot_to_spindle = 222;
  set.alignment = alignment_custom_nulls;
  set.custom_null_radius_1 = 66;
  set.custom_null_radius_2 = 121;
  compute_alignment(set);
  // L = sqrt(222^2 + 66 x 121) = sqrt(57270); the offset angle asin((L^2 + 66^2 - 222^2) /
  // (2 L 66)).
  EXPECT_DOUBLE_EQ(set.effective_length, std::sqrt(57270.0));
  EXPECT_EQ(shown(set), "66.000 121.000 239.312 17.312 22.998");
  EXPECT_EQ(null_radii_product(set), 66.0 * 121);
}

TEST(PivotForEffectiveLength, KeepsTheLengthWhereAnArmReachesTheNulls) {
  // The worked example: IEC radii, Löfgren A, an arm of effective length 239.3 mm.
  ParameterSet iec = computed_set(0, 60.325, 146.05, A);
  const double d = pivot_for_effective_length(239.3, null_radii_product(iec));
  EXPECT_EQ(format_three_decimals(d), "222.004");
  // The distance gives the length back (veltrane-cli's tests run every alignment).
  iec.pivot_to_spindle = d;
  compute_alignment(iec);
  EXPECT_NEAR(iec.effective_length, 239.3, 1e-12);
  // No arm reaches both null radii, or the numbers are beyond the doubles.
  // clang-format off
  const struct { double length, product; } none[] = {
      {89, 89.0 * 89}, {50, 7978.5}, {-89, 89.0 * 89}, {1e200, 5}, {239.3, inf}, {239.3, NAN},
      {NAN, 5},
  };
  // clang-format on
  for (const auto& c : none)
    EXPECT_TRUE(std::isnan(pivot_for_effective_length(c.length, c.product))) << c.length;
  EXPECT_TRUE(std::isnan(null_radii_product(computed_set(209, 57.5, 146.05, 7))));
}

TEST(IntersectCircles, ReturnsTheCrossingBelowTheCentreLine) {
  const ParameterSet set = computed_set(209, 57.5, 146.05, A);
  const PointMm inner =
      intersect_circles(set.inner_null_radius, set.effective_length, 209, 0, 0, 209, 0);
  const PointMm outer =
      intersect_circles(set.outer_null_radius, set.effective_length, 209, 0, 0, 209, 0);
  EXPECT_EQ(format_three_decimals(inner.x) + ' ' + format_three_decimals(inner.y), "-8.465 62.533");
  EXPECT_EQ(format_three_decimals(outer.x) + ' ' + format_three_decimals(outer.y),
            "15.986 118.096");
  const PointMm touching = intersect_circles(1, 1, 2, 0, 0, 2, 0);
  EXPECT_EQ(touching.x, 1);
  EXPECT_EQ(touching.y, 0);
}

TEST(AlignmentSqrt, NegativeArgumentsComeBackUnchanged) {
  EXPECT_EQ(alignment_sqrt(-4), -4);
  EXPECT_EQ(alignment_sqrt(4), 2);
  EXPECT_TRUE(std::isnan(alignment_sqrt(NAN)));
}

}  // namespace
}  // namespace veltrane
