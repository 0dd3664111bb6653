#include <gtest/gtest.h>

#include <string>

#include "app/optimize.h"
#include "app/requests.h"
#include "model/alignments.h"

namespace veltrane {
namespace {

ParameterSet default_arm() {
  return *resolve_arm(ArmRequest{}, Reading::strict).value;
}

OptimizeRequest limits(std::string overhangs, std::string offsets,
                       Criterion criterion = Criterion::peak, std::string rpm = "100/3") {
  OptimizeRequest request;
  request.overhang_range = std::move(overhangs);
  request.offset_range = std::move(offsets);
  request.criterion = criterion;
  request.rpm = std::move(rpm);
  return request;
}

TEST(ResolveOptimum, ProblemsNameTheFieldAndTheQuantity) {
  // clang-format off
  const struct { OptimizeRequest request; std::string field; std::string starts; } cases[] = {
      {limits("10,20", "20,25"), "", ""},
      {limits("17", "22", Criterion::rms, "33 1/3"), "", ""},
      {limits("10,x", "0,30"), "overhang-range", "overhang range must be two numbers of mm with a comma between them (10,20), or one number that fixes it, not '10,x'"},
      {limits("10,20", "inf"), "offset-range", "offset angle range must be two numbers of degrees"},
      {limits("10,20,30", "0"), "overhang-range", "overhang range must be two numbers"},
      {limits("", "0"), "overhang-range", "overhang range must be two numbers"},
      {limits("20,10", "0,30"), "overhang-range", "the overhang range runs backwards, from 20 to 10 mm"},
      {limits("10,20", "0,95"), "offset-range", "the offset angle range must lie within -90 to 90"},
      {limits("60,70", "0,30"), "overhang-range", "no arm with an overhang from 60 to 70 mm reaches"},
      {limits("10,20", "0,30", Criterion::peak, "fast"), "chart-rpm", "turntable speed must be"},
  };
  // clang-format on
  for (const auto& c : cases) {
    const Resolved<ArmOptimum> result = resolve_optimum(c.request, default_arm());
    EXPECT_EQ(result.value.has_value(), c.field.empty()) << c.request.overhang_range;
    if (c.field.empty()) continue;
    ASSERT_FALSE(result.problems.empty());
    EXPECT_EQ(result.problems[0].field, c.field);
    EXPECT_EQ(result.problems[0].words.rfind(c.starts, 0), 0u) << result.problems[0].words;
  }
}

TEST(OptimumTemplate, HeadedAsTheArmsOptimumOrRefusedWithoutTwoNullRadii) {
  const ParameterSet set = default_arm();
  const auto two = resolve_optimum(limits("10,20", "20,25", Criterion::rms), set);
  const Resolved<PageInputs> page = optimum_template(set, *two.value);
  ASSERT_TRUE(page.value);
  EXPECT_EQ(page.value->set.alignment, alignment_custom_nulls);
  EXPECT_NEAR(page.value->set.effective_length, two.value->optimum.effective_length_mm, 1e-9);
  EXPECT_EQ(page_kind("template").title(*page.value),
            "Arc template 209 mm, Your arm's optimum (RMS)");

  const auto one = resolve_optimum(limits("-40,-10", "0,30", Criterion::rms), set);
  const Resolved<PageInputs> none = optimum_template(set, *one.value);
  ASSERT_FALSE(none.value);
  EXPECT_EQ(none.problems[0].field, "optimum");
  EXPECT_EQ(none.problems[0].words.rfind("the optimum has one null radius (", 0), 0u);
}

}  // namespace
}  // namespace veltrane
