#include "model/analysis.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

#include "computed_set.h"
#include "model/geometry.h"
#include "model/number_format.h"

namespace veltrane {
namespace {

constexpr double nan = std::numeric_limits<double>::quiet_NaN();
constexpr double inf = std::numeric_limits<double>::infinity();

AnalysisOptions step_of(double step_mm) {
  AnalysisOptions options;
  options.step_mm = step_mm;
  return options;
}

const ArmAnalysis& arm_named(const Analysis& analysis, std::string_view key) {
  for (const ArmAnalysis& arm : analysis.arms) {
    if (arm.key == key) return arm;
  }
  throw std::runtime_error("no arm " + std::string(key));
}

TEST(Analysis, GeometryIsTheSummarysForEachAlignment) {
  // Worked values of the alignment geometry, three decimals as the summary shows them.
  // clang-format off
  const struct { double d, ri, ro; const char* key; const char* n1; const char* n2; const char* l;
                 const char* overhang; const char* offset; } cases[] = {
      {209, 57.5, 146.05, "lofgren-a",   "63.103", "119.173", "226.277", "17.277", "23.752"},
      {209, 57.5, 146.05, "lofgren-b",   "67.414", "114.862", "226.769", "17.769", "23.697"},
      {209, 57.5, 146.05, "stevenson-a", "57.500", "115.522", "224.329", "15.329", "22.684"},
      {239.3, 60.325, 146.05, "lofgren-b", "70.285", "116.604", "255.852", "16.552", "21.422"},
      {209, 146.05, 57.5, "stevenson-a", "146.050", "64.177", "230.335", "21.335", "27.152"},
  };
  // clang-format on
  for (const auto& c : cases) {
    // Whichever alignment the window has checked, each column is computed for itself.
    for (const std::int16_t chosen :
         {alignment_lofgren_a, alignment_lofgren_b, alignment_stevenson_a}) {
      const Analysis analysis = analyse_alignments(computed_set(c.d, c.ri, c.ro, chosen), {});
      ASSERT_EQ(analysis.arms.size(), 3u);
      const ArmAnalysis& arm = arm_named(analysis, c.key);
      EXPECT_EQ(format_three_decimals(arm.inner_null_radius_mm), c.n1) << c.key;
      EXPECT_EQ(format_three_decimals(arm.outer_null_radius_mm), c.n2) << c.key;
      EXPECT_EQ(format_three_decimals(arm.effective_length_mm), c.l) << c.key;
      EXPECT_EQ(format_three_decimals(arm.overhang_mm), c.overhang) << c.key;
      EXPECT_EQ(format_three_decimals(arm.offset_angle_deg), c.offset) << c.key;
      EXPECT_EQ(arm.chosen, analysis.arms[chosen - 1].key == c.key);
    }
  }
}

TEST(Analysis, WorkedTrackingValues) {
  // Löfgren A, IEC radii, the pivot placed for an effective length of 250 mm: the error at
  // 90 mm is about 1.01 degrees and the distortion about 0.56 %. Values worked separately.
  const double ri = 60.325;
  const double ro = 146.05;
  const double p = 8 * ri * ro * ri * ro / ((ro + ri) * (ro + ri) + 4 * ri * ro);
  const ParameterSet set = computed_set(std::sqrt(250 * 250 - p), ri, ro);
  EXPECT_NEAR(set.effective_length, 250, 1e-9);
  // clang-format off
  const struct { double r, rpm, v, error, weighted, distortion; } cases[] = {
      {90,     100.0 / 3, 100, 1.014260337253777,     0.11269559302819745, 0.563536831035032},
      {90,     45,        100, 1.014260337253777,     0.11269559302819745, 0.4174346896555794},
      {60.325, 100.0 / 3, 100, -0.7054584907747099, -0.11694297401984415, -0.5847444193779988},
      {146.05, 100.0 / 3, 50,  -1.7142613445735009, -0.11737496368185558, -0.29352500001838244},
      {120,    78,        100, 0.049555572729840236, 0.00412963106082002,  0.00882400019351587},
      {75,     100.0 / 3, 200, 0.6789103101384519,   0.09052137468512693,  0.9052561144471146},
  };
  // clang-format on
  for (const auto& c : cases) {
    const TrackingValues v =
        tracking_at(set.pivot_to_spindle, set.effective_length, set.offset_angle, c.r, c.rpm, c.v);
    EXPECT_NEAR(v.tracking_error_deg, c.error, 1e-12) << c.r;
    EXPECT_NEAR(v.weighted_error_deg_per_cm, c.weighted, 1e-12) << c.r;
    EXPECT_NEAR(v.distortion_percent, c.distortion, 1e-12) << c.r;
  }
  EXPECT_NEAR(tracking_at(set.pivot_to_spindle, 250, set.offset_angle, 90, 100.0 / 3, 100)
                  .tracking_error_deg,
              1.01, 0.005);
}

TEST(Analysis, NoErrorAtTheNullRadii) {
  // clang-format off
  const struct { double d, ri, ro; } cases[] = {
      {209, 57.5, 146.05}, {239.3, 60.325, 146.05}, {222, 63, 145}, {300, 50, 150}, {180, 70, 140},
  };
  // clang-format on
  for (const auto& c : cases) {
    const Analysis analysis = analyse_alignments(computed_set(c.d, c.ri, c.ro), {});
    for (const ArmAnalysis& arm : analysis.arms) {
      for (double null : {arm.inner_null_radius_mm, arm.outer_null_radius_mm}) {
        const TrackingValues v =
            tracking_at(c.d, arm.effective_length_mm, arm.offset_angle_deg, null, 100.0 / 3, 100);
        EXPECT_NEAR(v.tracking_error_deg, 0, 1e-9) << arm.key << " at " << null;
        EXPECT_NEAR(v.distortion_percent, 0, 1e-9) << arm.key << " at " << null;
      }
      EXPECT_TRUE(arm.inner_null_on_record && arm.outer_null_on_record) << arm.key;
    }
    // Stevenson A puts its inner null on the inner groove.
    const Analysis fine = analyse_alignments(computed_set(c.d, c.ri, c.ro), step_of(0.5));
    EXPECT_NEAR(arm_named(fine, "stevenson-a").rows.front().tracking_error_deg, 0, 1e-9);
  }
}

TEST(Analysis, LofgrenAWeightedErrorPeaksAreEqual) {
  // Löfgren A makes the largest |weighted error| the same at the inner groove, between the
  // nulls and at the outer groove, to within the small-angle approximation it is derived
  // from: within 1 % for arms of about 250 mm and IEC radii, a little more for shorter arms
  // and the wider DIN span.
  // clang-format off
  const struct { double d, ri, ro, ratio; } cases[] = {
      {233.4981772518809, 60.325, 146.05, 1.01},  // L = 250
      {239.3, 60.325, 146.05, 1.01}, {250, 60.325, 146.05, 1.01}, {209, 60.325, 146.05, 1.015},
      {222, 63, 145, 1.015}, {209, 57.5, 146.05, 1.015},
  };
  // clang-format on
  for (const auto& c : cases) {
    const Analysis analysis = analyse_alignments(computed_set(c.d, c.ri, c.ro), step_of(0.01));
    const ArmAnalysis& a = arm_named(analysis, "lofgren-a");
    const double at_inner = std::fabs(a.rows.front().weighted_error_deg_per_cm);
    const double at_outer = std::fabs(a.rows.back().weighted_error_deg_per_cm);
    double between = 0;
    for (std::size_t i = 0; i < a.rows.size(); ++i) {
      const double r = analysis.radii_mm[i];
      if (r > a.inner_null_radius_mm && r < a.outer_null_radius_mm)
        between = std::max(between, std::fabs(a.rows[i].weighted_error_deg_per_cm));
    }
    const double most = std::max({at_inner, between, at_outer});
    const double least = std::min({at_inner, between, at_outer});
    EXPECT_LT(most / least, c.ratio) << c.d << ' ' << c.ri << ' ' << c.ro << ": " << at_inner << ' '
                                     << between << ' ' << at_outer;
  }
}

TEST(Analysis, RadiusSequence) {
  // clang-format off
  const struct { double ri, ro, step; std::size_t count; double last_but_one; } cases[] = {
      {57.5, 146.05, 1,    90,    145.5},
      {0,    3,      1,    4,     2},       // a step landing on Ro gives Ro once
      {0,    0.5,    1,    2,     0},
      {60,   160,    0.01, 10001, 60 + 9999 * 0.01},
      {-5,   5,      2.5,  5,     2.5},
  };
  // clang-format on
  for (const auto& c : cases) {
    const std::vector<double> radii = analysis_radii(c.ri, c.ro, c.step);
    ASSERT_EQ(radii.size(), c.count) << c.ri << ' ' << c.ro << ' ' << c.step;
    EXPECT_EQ(radii.front(), c.ri);
    EXPECT_EQ(radii.back(), c.ro);
    EXPECT_EQ(radii[radii.size() - 2], c.last_but_one);
    for (std::size_t k = 0; k + 1 < radii.size(); ++k)
      ASSERT_EQ(radii[k], c.ri + static_cast<double>(k) * c.step) << k;
  }
  // Adding 0.009 ten thousand times to 57.5 drifts below 147.5 and would add a radius
  // 147.49999999997...; from its index the 10,000th radius is 147.5 itself.
  double added = 57.5;
  for (int k = 0; k < 10000; ++k) added += 0.009;
  EXPECT_LT(added, 147.5);
  const std::vector<double> drift_free = analysis_radii(57.5, 147.5, 0.009);
  ASSERT_EQ(drift_free.size(), 10001u);
  EXPECT_EQ(drift_free[9999], 57.5 + 9999 * 0.009);
  EXPECT_EQ(drift_free.back(), 147.5);

  for (const auto& [ri, ro] :
       {std::pair{57.5, 57.5}, {146.05, 57.5}, {nan, 100.0}, {0.0, inf}, {-inf, 0.0}, {nan, nan}}) {
    EXPECT_TRUE(analysis_radii(ri, ro, 1).empty()) << ri << ' ' << ro;
    EXPECT_FALSE(no_radii_reason(ri, ro).empty());
  }
  EXPECT_EQ(no_radii_reason(57.5, 146.05), "");
  EXPECT_TRUE(has_too_many_radii(0, 1000, 0.001));
  EXPECT_TRUE(has_too_many_radii(-1e308, 1e308, 1));
  EXPECT_FALSE(has_too_many_radii(57.5, 146.05, 0.001));
  EXPECT_FALSE(has_too_many_radii(146.05, 57.5, 1e-12));
  // Exactly the most radii: 0, 1, ..., 999998 below the outer radius, then 999999 itself.
  EXPECT_FALSE(has_too_many_radii(0, 999999, 1));
  EXPECT_EQ(analysis_radii(0, 999999, 1).size(), max_analysis_radii);
  EXPECT_TRUE(has_too_many_radii(0, 999999.5, 1));
  EXPECT_FALSE(has_too_many_radii(10, 20, 1, 11));
  EXPECT_TRUE(has_too_many_radii(10, 20, 1, 10));
  EXPECT_EQ(analysis_radii(0, 1, 1e-9).size(), max_analysis_radii + 1);
}

TEST(Analysis, UnreachableRadiiHaveNoValueAndStayOutOfThePeaks) {
  // The initial arm reaches about 435 mm from the spindle, no further.
  const Analysis analysis = analyse_alignments(computed_set(209, 57.5, 600), step_of(5));
  for (const ArmAnalysis& arm : analysis.arms) {
    std::size_t reachable = 0;
    for (const TrackingValues& row : arm.rows) {
      if (std::isnan(row.tracking_error_deg)) {
        EXPECT_TRUE(std::isnan(row.weighted_error_deg_per_cm) &&
                    std::isnan(row.distortion_percent));
        continue;
      }
      ++reachable;
    }
    EXPECT_GT(reachable, 50u);
    EXPECT_LT(reachable, arm.rows.size());
    // The arm reaches no further than L + d.
    EXPECT_LE(arm.peak_tracking_error.radius_mm, arm.effective_length_mm + 209);
    EXPECT_TRUE(std::isfinite(arm.peak_tracking_error.magnitude));
    EXPECT_TRUE(std::isfinite(arm.rms_distortion_percent) && arm.rms_distortion_percent > 0);
  }
  // An arm too short to reach the record: no peaks and no RMS.
  AnalysisOptions options;
  options.as_given = ArmAsGiven{10, 5};
  const ArmAnalysis short_arm =
      analyse_alignments(computed_set(209, 57.5, 146.05), options).arms[3];
  for (const Peak& peak : {short_arm.peak_tracking_error, short_arm.peak_distortion})
    EXPECT_TRUE(std::isnan(peak.magnitude) && std::isnan(peak.radius_mm));
  EXPECT_TRUE(std::isnan(short_arm.rms_distortion_percent));
}

TEST(Analysis, PeaksAreMagnitudesAtTheirFirstRadius) {
  const Analysis analysis = analyse_alignments(computed_set(209, 57.5, 146.05), {});
  const ArmAnalysis& a = arm_named(analysis, "lofgren-a");
  EXPECT_EQ(format_three_decimals(a.peak_tracking_error.magnitude), "2.129");
  EXPECT_EQ(a.peak_tracking_error.radius_mm, 146.05);
  const ArmAnalysis& b = arm_named(analysis, "lofgren-b");
  EXPECT_EQ(format_three_decimals(b.peak_distortion.magnitude), "1.193");
  EXPECT_EQ(b.peak_distortion.radius_mm, 57.5);
  EXPECT_GT(b.peak_distortion.magnitude, 0);
  // The RMS over the whole record, as Simpson's rule with 200,000 intervals gives it
  // (worked separately).
  EXPECT_NEAR(a.rms_distortion_percent, 0.479027129248605, 1e-12);
  EXPECT_NEAR(b.rms_distortion_percent, 0.431005252242643, 1e-12);
  EXPECT_NEAR(arm_named(analysis, "stevenson-a").rms_distortion_percent, 0.584315625986820, 1e-12);
}

TEST(Analysis, PeaksAndRmsAreTheWholeRecordsWhateverTheStep) {
  // clang-format off
  const struct { double d, ri, ro; ArmAsGiven given; } cases[] = {
      {209, 57.5, 146.05, {226, 23}}, {239.3, 60.325, 146.05, {230, 10}},
      {222, 63, 145, {200, 5}},  // underhung
      {209, 57.5, 600, {230, 22}},  // beyond the arms' reach from about 435 mm
  };
  // clang-format on
  for (const auto& c : cases) {
    AnalysisOptions options;
    options.as_given = c.given;
    const ParameterSet set = computed_set(c.d, c.ri, c.ro);
    const Analysis fine = analyse_alignments(set, (options.step_mm = 0.01, options));
    for (double step : {0.37, 1.0, 40.0, c.ro - c.ri}) {
      const Analysis coarse = analyse_alignments(set, (options.step_mm = step, options));
      for (std::size_t a = 0; a < fine.arms.size(); ++a) {
        const ArmAnalysis& f = fine.arms[a];
        const ArmAnalysis& g = coarse.arms[a];
        EXPECT_EQ(f.peak_distortion.magnitude, g.peak_distortion.magnitude) << step;
        EXPECT_EQ(f.peak_distortion.radius_mm, g.peak_distortion.radius_mm) << step;
        EXPECT_EQ(f.peak_tracking_error.magnitude, g.peak_tracking_error.magnitude) << step;
        EXPECT_EQ(f.rms_distortion_percent, g.rms_distortion_percent) << step;
      }
    }
    // The peaks are the largest of any radius, which dense rows come close to from below
    // (where the arm reaches the whole record: at the edge of its reach the error's slope is
    // infinite).
    for (const ArmAnalysis& arm : fine.arms) {
      double rows_error = 0;
      double rows_distortion = 0;
      bool unreached = false;
      for (const TrackingValues& row : arm.rows) {
        rows_error = std::fmax(rows_error, std::fabs(row.tracking_error_deg));
        rows_distortion = std::fmax(rows_distortion, std::fabs(row.distortion_percent));
        unreached = unreached || std::isnan(row.distortion_percent);
      }
      for (const auto& [rows, peak] : {std::pair{rows_error, arm.peak_tracking_error.magnitude},
                                       {rows_distortion, arm.peak_distortion.magnitude}}) {
        EXPECT_LE(rows, peak * (1 + 1e-12)) << arm.key;
        if (!unreached) {
          EXPECT_GE(rows, peak * (1 - 1e-6)) << arm.key;
        }
      }
    }
  }
}

TEST(Analysis, ArmAsGiven) {
  // An arm built exactly to Löfgren A has Löfgren A's null radii.
  const ParameterSet set = computed_set(209, 57.5, 146.05);
  AnalysisOptions options;
  options.as_given = ArmAsGiven{set.effective_length, set.offset_angle};
  const Analysis analysis = analyse_alignments(set, options);
  ASSERT_EQ(analysis.arms.size(), 4u);
  const ArmAnalysis& given = analysis.arms[3];
  EXPECT_EQ(given.key, "as-given");
  EXPECT_FALSE(given.chosen);
  EXPECT_NEAR(given.inner_null_radius_mm, set.inner_null_radius, 1e-9);
  EXPECT_NEAR(given.outer_null_radius_mm, set.outer_null_radius, 1e-9);
  EXPECT_EQ(given.overhang_mm, set.effective_length - 209);
  EXPECT_TRUE(given.inner_null_on_record && given.outer_null_on_record);

  // clang-format off
  const struct { double d, l, beta, inner, outer; } cases[] = {
      {209, 230, 22, nan, nan},                                  // the root's argument < 0
      {240, 250, 30, 125 - std::sqrt(10725.0), 125 + std::sqrt(10725.0)},
      {100, 250, 30, nan, nan},
      {209, 100, 20, nan, 220.88564453191003},  // the other root is below 0
      {1e200, 1e200, 30, nan, 1e200},  // squares beyond a double: 0 and L sin(30°) ± L/2
  };
  // clang-format on
  for (const auto& c : cases) {
    const auto [inner, outer] = null_radii_as_given(c.d, c.l, c.beta);
    for (const auto& [got, expected] : {std::pair{inner, c.inner}, {outer, c.outer}}) {
      if (std::isnan(expected))
        EXPECT_TRUE(std::isnan(got)) << got;
      else
        EXPECT_NEAR(got, expected, 1e-9 * std::fabs(expected)) << c.d;
    }
  }
  // Null radii beyond the record are not on it.
  const ParameterSet narrow = computed_set(240, 80, 100);
  options.as_given = ArmAsGiven{250, 30};
  const ArmAnalysis off = analyse_alignments(narrow, options).arms[3];
  EXPECT_FALSE(off.inner_null_on_record);
  EXPECT_FALSE(off.outer_null_on_record);
}

TEST(Analysis, FiguresWithinTheRangeOfADoubleStayFiniteWhateverTheirInputs) {
  const TrackingValues plain = tracking_at(209, 230, 22, 100, 100.0 / 3, 100);
  // clang-format off
  const struct { double d, l, rpm, v, distortion_scale; } cases[] = {
      {209,   230,   100.0 / 3,        1e308, 1e306},   // 100 v overflows
      {209,   230,   1e308 * (1 / 3.), 1e308, 1},    // 100 v and omega r overflow
      {209,   230,   1e-300 / 3,       1e-14, 1e286},   // a tiny omega r
  };
  // clang-format on
  for (const auto& c : cases) {
    const TrackingValues values = tracking_at(c.d, c.l, 22, 100, c.rpm, c.v);
    EXPECT_EQ(values.tracking_error_deg, plain.tracking_error_deg);
    EXPECT_NEAR(values.distortion_percent, plain.distortion_percent * c.distortion_scale,
                1e-9 * std::fabs(plain.distortion_percent * c.distortion_scale))
        << c.v;
  }
  // Squares beyond a double, of an arm that still reaches: sin = r / (2 L) when L = d.
  const TrackingValues huge = tracking_at(1e200, 1e200, 0, 100, 100.0 / 3, 100);
  EXPECT_NEAR(huge.tracking_error_deg, -100 / 2e200 * 180 / std::numbers::pi, 1e-210);
  AnalysisOptions options;
  options.velocity_mm_per_s = 1e308;
  const Analysis analysis = analyse_alignments(computed_set(209, 57.5, 146.05), options);
  EXPECT_NEAR(analysis.arms[0].rms_distortion_percent, 0.479027129248605e306, 1e292);
}

TEST(Analysis, CustomNullsAreTheChosenColumn) {
  ParameterSet set = computed_set(222, 60.325, 146.05);
  set.alignment = alignment_custom_nulls;
  set.custom_null_radius_1 = 121;
  set.custom_null_radius_2 = 66;
  compute_alignment(set);
  const Analysis analysis = analyse_alignments(set, {});
  ASSERT_EQ(analysis.arms.size(), 4u);
  const ArmAnalysis& custom = analysis.arms[3];
  EXPECT_EQ(custom.key, "custom");
  EXPECT_EQ(custom.name, "Custom");
  for (const ArmAnalysis& arm : analysis.arms) EXPECT_EQ(arm.chosen, &arm == &custom);
  EXPECT_EQ(custom.inner_null_radius_mm, 66);
  EXPECT_EQ(custom.effective_length_mm, set.effective_length);
  EXPECT_EQ(custom.offset_angle_deg, set.offset_angle);
  // Its null radii are where its tracking error vanishes.
  const AnalysisOptions options;
  for (double r : {66.0, 121.0}) {
    EXPECT_NEAR(tracking_at(222, custom.effective_length_mm, custom.offset_angle_deg, r,
                            options.rpm, options.velocity_mm_per_s)
                    .tracking_error_deg,
                0, 1e-12);
  }
}

TEST(Analysis, MountedIsTheChosenArmAsGivenWithTheError) {
  // clang-format off
  const struct { std::int16_t alignment; double overhang, offset; } cases[] = {
      {alignment_lofgren_a, 0.5, 0}, {alignment_lofgren_b, -1, 0.75}, {alignment_stevenson_a, 0, -2},
      {alignment_custom_nulls, 2, 1}, {alignment_lofgren_a, 0, 0},
  };
  // clang-format on
  for (const auto& c : cases) {
    ParameterSet set = computed_set(239.3, 60.325, 146.05, c.alignment);
    set.custom_null_radius_1 = 70;
    set.custom_null_radius_2 = 118;
    compute_alignment(set);
    AnalysisOptions options;
    options.mounting_error = MountingError{c.overhang, c.offset};
    options.as_given = ArmAsGiven{set.effective_length + c.overhang, set.offset_angle + c.offset};
    const Analysis analysis = analyse_alignments(set, options);
    const ArmAnalysis& mounted = analysis.arms.back();
    const ArmAnalysis& given = analysis.arms[analysis.arms.size() - 2];
    EXPECT_EQ(mounted.key, "mounted");
    EXPECT_EQ(mounted.name, "As mounted");
    EXPECT_FALSE(mounted.chosen);
    EXPECT_FALSE(mounted.sensitivity);
    for (double ArmAnalysis::*figure :
         {&ArmAnalysis::inner_null_radius_mm, &ArmAnalysis::outer_null_radius_mm,
          &ArmAnalysis::effective_length_mm, &ArmAnalysis::overhang_mm,
          &ArmAnalysis::offset_angle_deg, &ArmAnalysis::rms_distortion_percent}) {
      // Equal, or both without a value (NaN).
      EXPECT_EQ(format_three_decimals(mounted.*figure), format_three_decimals(given.*figure));
      EXPECT_TRUE(mounted.*figure == given.*figure || std::isnan(given.*figure)) << c.alignment;
    }
    EXPECT_EQ(mounted.peak_distortion.magnitude, given.peak_distortion.magnitude);
  }
}

TEST(Analysis, MountingSensitivityIsThePeaksGrowth) {
  const ParameterSet set = computed_set(222, 60.325, 146.05);
  AnalysisOptions options;
  options.mounting_error = MountingError{};
  const Analysis analysis = analyse_alignments(set, options);
  ASSERT_EQ(analysis.arms.size(), 4u);
  for (const ArmAnalysis& arm : analysis.arms) {
    if (arm.key == "mounted") {
      EXPECT_FALSE(arm.sensitivity);
      continue;
    }
    ASSERT_TRUE(arm.sensitivity) << arm.key;
    // clang-format off
    const struct { double growth, overhang, offset; } cases[] = {
        {arm.sensitivity->overhang_longer, 0.5, 0}, {arm.sensitivity->overhang_shorter, -0.5, 0},
        {arm.sensitivity->offset_larger, 0, 0.5},   {arm.sensitivity->offset_smaller, 0, -0.5},
    };
    // clang-format on
    for (const auto& c : cases) {
      AnalysisOptions given;
      given.as_given =
          ArmAsGiven{arm.effective_length_mm + c.overhang, arm.offset_angle_deg + c.offset};
      const double peak = analyse_alignments(set, given).arms.back().peak_distortion.magnitude;
      EXPECT_EQ(c.growth, peak - arm.peak_distortion.magnitude) << arm.key;
      // Löfgren A's peak is the least any arm at this distance has: every error costs.
      if (arm.key == "lofgren-a") {
        EXPECT_GT(c.growth, 0);
      }
    }
  }
  EXPECT_FALSE(analyse_alignments(set, {}).arms[0].sensitivity);
}

TEST(Analysis, OddInputsComputeWithoutFault) {
  // clang-format off
  const struct { double d, ri, ro, rpm, v; } cases[] = {
      {0, 57.5, 146.05, 100.0 / 3, 100}, {209, 0, 146.05, 100.0 / 3, 100},
      {1e300, 57.5, 146.05, 100.0 / 3, 100}, {209, 1e300, 2e300, 100.0 / 3, 100},
      {209, 57.5, 146.05, 1e-300, 1e300}, {nan, 57.5, 146.05, 100.0 / 3, 100},
      {inf, 57.5, 146.05, 100.0 / 3, 100}, {-209, -146.05, -57.5, 100.0 / 3, 100},
  };
  // clang-format on
  for (const auto& c : cases) {
    AnalysisOptions options;
    options.rpm = c.rpm;
    options.velocity_mm_per_s = c.v;
    options.as_given = ArmAsGiven{1e300, 1e-300};
    options.mounting_error = MountingError{1e300, -1e300};
    const Analysis analysis = analyse_alignments(computed_set(c.d, c.ri, c.ro), options);
    for (const ArmAnalysis& arm : analysis.arms) {
      EXPECT_EQ(arm.rows.size(), analysis.radii_mm.size());
      EXPECT_FALSE(std::isinf(arm.rms_distortion_percent) && arm.rms_distortion_percent < 0);
    }
  }
}

}  // namespace
}  // namespace veltrane
