#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/page_kinds.h"
#include "app/requests.h"

namespace veltrane {
namespace {

ArmRequest arm(std::string pivot, std::string nulls_inner = "", std::string nulls_outer = "") {
  ArmRequest request;
  request.window.pivot = std::move(pivot);
  if (!nulls_inner.empty()) {
    request.custom_nulls = true;
    request.null_inner = std::move(nulls_inner);
    request.null_outer = std::move(nulls_outer);
  }
  return request;
}

ArmRequest by_length(std::string length, std::string n1 = "66", std::string n2 = "121") {
  ArmRequest request = arm("209", std::move(n1), std::move(n2));
  request.by = ArmBy::effective_length;
  request.effective_length = std::move(length);
  return request;
}

ArmRequest with_id(std::string id) {
  ArmRequest request = arm("209");
  request.window.id_text = std::move(id);
  return request;
}

// What a request gives: its first problem's field and words, or "" for none.
std::string first_problem(const Problems& problems) {
  return problems.empty() ? "" : problems.front().field + ": " + problems.front().words;
}

TEST(ResolveArm, RefusesWhatCannotBeBuiltAndNamesWhatWould) {
  // clang-format off
  const struct { ArmRequest request; Reading reading; std::string problem; } cases[] = {
      {by_length("90"), Reading::strict,
       "effective-length: effective length 90 mm cannot reach null radii 66 and 121 mm: it must be at least 93.5 mm"},
      {by_length("93.5"), Reading::strict, ""},
      {arm("27", "66", "121"), Reading::strict,
       "pivot: pivot distance 27 mm cannot reach null radii 66 and 121 mm: it must be at least 27.5 mm"},
      {arm("27.5", "66", "121"), Reading::strict, ""},
      {arm("20"), Reading::strict,
       "pivot: pivot distance 20 mm cannot reach null radii 63.103 and 119.173 mm: it must be at least 28.036 mm"},
      {arm("209", "66", "1e308"), Reading::strict,
       "pivot: pivot distance 209 mm cannot reach null radii 66 and 1e+308 mm: it must be at least 5e+307 mm"},
      {arm("209", "66", "66"), Reading::strict, "null-outer: the two null radii must differ, not both 66 mm"},
      {arm("209", "66", ""), Reading::strict, "null-outer: null radius must be a number of mm, such as 121, not ''"},
      {arm("222,5"), Reading::strict, "pivot: pivot distance must be a number of mm, such as 222.5, not '222,5'"},
      {arm("222,5"), Reading::decimal_comma, ""},
      {by_length("239,3", "66", "121,5"), Reading::decimal_comma, ""},
      {by_length("239,3"), Reading::as_typed, "effective-length: effective length must be a number of mm, such as 239.3, not '239,3'"},
      {arm("2,22,5"), Reading::decimal_comma, "pivot: pivot distance must be a number of mm, such as 222.5, not '2,22,5'"},
      {arm("-3"), Reading::strict, "pivot: pivot distance must be more than 0 mm, not -3 mm"},
      {arm("1e200"), Reading::strict, "pivot: pivot distance 1e+200 mm and null radii 63.103 and 119.173 mm give an arm too large for numbers to hold"},
      {with_id(std::string(40, 'W') + "\u00E9"), Reading::strict, "arm-id: ID text is 41 characters long: it holds at most 40"},
      // The windows' reading refuses nothing they accept, and draws what they draw.
      {arm("abc"), Reading::as_typed, ""},
      {arm("20"), Reading::as_typed, ""},
      {arm("-3"), Reading::as_typed, ""},
      {with_id(std::string(45, 'W')), Reading::as_typed, ""},
  };
  // clang-format on
  for (const auto& c : cases) {
    const Resolved<ParameterSet> resolved = resolve_arm(c.request, c.reading);
    EXPECT_EQ(first_problem(resolved.problems), c.problem) << c.request.window.pivot;
    EXPECT_EQ(resolved.value.has_value(), c.problem.empty());
  }
  EXPECT_DOUBLE_EQ(resolve_arm(arm("222,5"), Reading::decimal_comma).value->pivot_to_spindle,
                   222.5);
  EXPECT_DOUBLE_EQ(resolve_arm(arm("222,5"), Reading::as_typed).value->pivot_to_spindle, 222);
}

TEST(ResolveAnalysis, DefaultsAreNoMistakeAndMountedArmsMeetTheArmLimits) {
  ArmRequest narrow = arm("209");
  narrow.window.inner_radius = "146";
  narrow.window.outer_radius = "146.05";
  const ParameterSet set = *resolve_arm(arm("209"), Reading::strict).value;
  const ParameterSet narrow_set = *resolve_arm(narrow, Reading::strict).value;
  const auto with = [](auto change) {
    AnalysisRequest request;
    change(request);
    return request;
  };
  // clang-format off
  const struct { AnalysisRequest request; const ParameterSet& set; std::string problem; } cases[] = {
      {{}, narrow_set, ""},
      {with([](auto& r) { r.step = "1"; }), narrow_set,
       "step: radius step 1 mm is more than the outer groove radius less the inner (146.05 - 146 mm)"},
      {with([](auto& r) { r.rpm = "100/3"; }), set, ""},
      {with([](auto& r) { r.rpm = "33 1/3"; }), set, ""},
      {with([](auto& r) { r.rpm = "33,3"; }), set,
       "chart-rpm: turntable speed must be a number of RPM above 0, such as 45, 100/3 or 33 1/3, not '33,3'"},
      {with([](auto& r) { r.mounting_error = "-300,0"; }), set,
       "mounting-error: mounting error -300 mm, 0 degrees gives an effective length of -73.723 mm as mounted: it must be more than 0 mm"},
      {with([](auto& r) { r.mounting_error = "0,1e20"; }), set,
       "mounting-error: mounting error 0 mm, 1e+20 degrees gives an offset angle of 1e+20 degrees as mounted: it must be more than 0 and at most 90 degrees"},
      {with([](auto& r) { r.arm_length = "230"; }), set,
       "arm-offset: an arm as given needs both its effective length and its offset angle"},
      {with([](auto& r) { r.step = "0.00001"; }), set,
       "step: radius step 1e-05 mm gives more than 1000000 radii between the groove radii"},
  };
  // clang-format on
  for (const auto& c : cases) {
    const Resolved<AnalysisOptions> resolved = resolve_analysis(c.request, c.set);
    EXPECT_EQ(first_problem(resolved.problems), c.problem) << c.request.rpm;
  }
  EXPECT_EQ(
      first_problem(resolve_analysis(with([](auto& r) { r.step = "0.1"; }), set, 100).problems),
      "step: radius step 0.1 mm gives more than 100 radii between the groove radii");
}

TEST(ResolveCalibrationAndStrobes, ProblemsAndWarningsAsValues) {
  // clang-format off
  const struct { CalibrationRequest request; std::string problem; std::string factor_x; std::size_t warnings; } calibrations[] = {
      {{"199", "200.5"}, "", "1.0050", 0},
      {{"100", "200"}, "", "2.0000", 1},
      {{"200", "200", "0.00001"}, "correction-x: correction factor X 0.0000 would print no page: correction factor X 1e-05 cannot have printed the page measured", "", 0},
      {{"1e-308", "200"}, "measured-x: correction factor X inf would print no page: measured X length 1e-308 mm is no length the 200 mm reference can have been printed at", "", 0},
      {{"", "200"}, "measured-x: measured X length must be a number of mm, such as 199.5, not ''", "", 0},
  };
  // clang-format on
  for (const auto& c : calibrations) {
    const Resolved<Calibration> resolved = resolve_calibration(c.request, Reading::decimal_comma);
    EXPECT_EQ(first_problem(resolved.problems), c.problem);
    EXPECT_EQ(resolved.value ? resolved.value->factor_x : "", c.factor_x);
    EXPECT_EQ(resolved.warnings.size(), c.warnings);
  }
  // clang-format off
  const struct { std::string speeds, hz, problem; std::size_t rings; } strobes[] = {
      {"78", "50", "", 1}, {"33 1/3,45", "60", "", 2},
      {"45,33,78", "50", "strobe-rpm: a disk has one or two speeds, the outer ring's first (45,33 1/3), not '45,33,78'", 0},
      {"12000", "50", "strobe-rpm: 12000 RPM under 50 Hz gives 120 x F / s = 0.5 bars: a ring needs from 1 to 2147483647", 0},
      {"78", "50Hz", "strobe-hz: lamp frequency must be a number of Hz, such as 50, not '50Hz'", 0},
  };
  // clang-format on
  for (const auto& c : strobes) {
    StrobeRequest request;
    request.speeds = c.speeds;
    request.hz = c.hz;
    const auto resolved = resolve_strobe_speeds(request);
    EXPECT_EQ(first_problem(resolved.problems), c.problem);
    EXPECT_EQ(resolved.value ? resolved.value->size() : 0, c.rings);
  }
  // A caption the disk cannot hold is refused, except as the window reads it (cut to 36).
  const std::string long_caption(37, 'C');
  // clang-format off
  const struct { std::string caption_1, caption_2; Reading reading; std::string problem; } captions[] = {
      {long_caption, "", Reading::strict, "strobe-caption1: caption line 1 is 37 characters long: it holds at most 36"},
      {"", long_caption, Reading::decimal_comma, "strobe-caption2: caption line 2 is 37 characters long: it holds at most 36"},
      {long_caption, long_caption, Reading::as_typed, ""},
  };
  // clang-format on
  for (const auto& c : captions) {
    StrobeRequest request;
    request.custom.caption_1 = c.caption_1;
    request.custom.caption_2 = c.caption_2;
    const Resolved<ParameterSet> resolved = resolve_custom_strobe(request, {}, c.reading);
    EXPECT_EQ(first_problem(resolved.problems), c.problem);
    if (resolved.value) {
      EXPECT_EQ(resolved.value->custom_caption_1, long_caption.substr(0, 36));
    }
  }
}

TEST(PageKinds, EveryKindWarnsOfWhatThePaperCutsOff) {
  // clang-format off
  const struct { const char* kind; const char* margin; Paper paper; std::string warning; } cases[] = {
      {"template", "4", Paper::a4, ""},
      {"strobe-60hz", "4", Paper::a4, ""},
      {"strobe-60hz", "12", Paper::a4, "a4 paper cuts off the outer ring; the smallest paper with room for every mark is tabloid"},
      {"strobe-speed", "12", Paper::a4, "a4 paper cuts off the outer ring; the smallest paper with room for every mark is tabloid"},
      {"chart", "4", Paper::a4, ""},
      {"chart", "25", Paper::a4, "a4 paper cuts off the tracking-error plot and the distortion plot; the smallest paper with room for every mark is tabloid"},
      {"speed", "4", Paper::letter, ""},
      {"speed", "25", Paper::a4, "a4 paper cuts off the deviation plot and the spectrum plot; the smallest paper with room for every mark is tabloid"},
  };
  // clang-format on
  for (const auto& c : cases) {
    PageRequest request;
    request.print.margin = c.margin;
    request.print.paper = c.paper;
    const Resolved<ResolvedPage> page = resolve_page(page_kind(c.kind), request, Reading::strict);
    ASSERT_TRUE(page.value.has_value()) << c.kind;
    EXPECT_EQ(page.warnings.empty() ? "" : page.warnings.front(), c.warning) << c.kind;
  }
  PageRequest request;
  request.print.margin = "26";
  EXPECT_EQ(
      first_problem(resolve_page(page_kind("strobe-50hz"), request, Reading::strict).problems),
      "margin: margin must be from 0 to 25 mm, not 26 mm");
  for (const PageKind& kind : page_kinds) EXPECT_EQ(page_kind_keyed(kind.key), &kind);
  EXPECT_EQ(page_kind_keyed("strobe-60"), nullptr);
}

TEST(PageKinds, FileStemsSayWhatThePageHolds) {
  PageRequest custom;
  custom.arm = arm("222.5", "66", "121");
  custom.strobe.custom.outer_bars = "200";
  custom.strobe.speeds = "33 1/3,45";
  custom.strobe.hz = "60";
  custom.analysis.rpm = "45";
  // clang-format off
  const struct { const char* kind; PageRequest request; std::string stem; } cases[] = {
      {"template", {}, "template-209mm-lofgren-a"},
      {"template", custom, "template-222.5mm-custom-nulls"},
      {"strobe-60hz", custom, "strobe-60hz"},
      {"strobe-custom", custom, "strobe-200-160-bars"},
      {"strobe-speed", {}, "strobe-78rpm-50hz"},
      {"strobe-speed", custom, "strobe-33.333rpm-45rpm-60hz"},
      {"chart", {}, "analysis-209mm-33.333rpm"},
      {"chart", custom, "analysis-222.5mm-45rpm"},
  };
  // clang-format on
  for (const auto& c : cases) {
    const PageKind& kind = page_kind(c.kind);
    const Resolved<ResolvedPage> page = resolve_page(kind, c.request, Reading::strict);
    ASSERT_TRUE(page.value.has_value()) << c.kind;
    EXPECT_EQ(kind.file_stem(page.value->inputs), c.stem) << c.kind;
  }
}

}  // namespace
}  // namespace veltrane
