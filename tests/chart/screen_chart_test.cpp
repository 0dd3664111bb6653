#include "chart/screen_chart.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <regex>
#include <string>

#include "app/read_fields.h"
#include "app/window_fields.h"
#include "model/geometry.h"
#include "model/number_format.h"

namespace veltrane {
namespace {

constexpr double nan = std::numeric_limits<double>::quiet_NaN();
constexpr double inf = std::numeric_limits<double>::infinity();

Analysis analysis_of(double d, double ri, double ro,
                     AlignmentCode alignment = alignment_lofgren_a) {
  ParameterSet set;
  read_parameters(set, initial_main_window_fields());
  set.pivot_to_spindle = d;
  set.inner_groove_radius = ri;
  set.outer_groove_radius = ro;
  set.alignment = alignment;
  set.custom_null_radius_1 = 70;
  set.custom_null_radius_2 = 115;
  compute_alignment(set);
  AnalysisOptions options;
  options.mounting_error = MountingError{1, 1};  // left out of the screen's chart
  return analyse_alignments(set, options);
}

double attribute(const std::string& svg, const std::string& name) {
  std::smatch match;
  EXPECT_TRUE(std::regex_search(svg, match, std::regex(" " + name + "=\"([^\"]+)\"")));
  return std::stod(match[1]);
}

// Every curve lies on the chart, whatever the input and the width asked for; the arm as
// mounted is not drawn.
TEST(ScreenChart, CurvesStayOnTheChartForAnyInput) {
  // clang-format off
  const struct { double d, ri, ro; AlignmentCode alignment; double width, drawn_width; int curves; } cases[] = {
      {209, 57.5, 146.05, alignment_lofgren_a, 390, 390, 6},
      {222, 60.325, 146.05, alignment_custom_nulls, 1280, 1280, 8},
      {209, 57.5, 146.05, alignment_lofgren_b, 10, 240, 6},
      {209, 57.5, 146.05, alignment_stevenson_a, 1e9, 1400, 6},
      {209, 57.5, 146.05, alignment_lofgren_a, nan, 240, 6},
      {1e300, 57.5, 146.05, alignment_lofgren_a, 390, 390, -1},
      {nan, 57.5, 146.05, alignment_lofgren_a, 390, 390, -1},
      {5, 57.5, 146.05, alignment_lofgren_a, 390, 390, -1},
      {209, 146.05, 57.5, alignment_lofgren_a, 390, 390, 0},
      {209, -inf, inf, alignment_lofgren_a, 390, 390, 0},
  };
  // clang-format on
  const std::regex number("-?[0-9]+(\\.[0-9]+)?");
  for (const auto& c : cases) {
    SCOPED_TRACE(shortest_number(c.d) + " " + shortest_number(c.ri) + " " +
                 shortest_number(c.width));
    const std::string svg = screen_chart_svg(analysis_of(c.d, c.ri, c.ro, c.alignment), c.width);
    ASSERT_TRUE(svg.starts_with("<svg") && svg.ends_with("</svg>"));
    EXPECT_EQ(attribute(svg, "width"), c.drawn_width);
    const double height = attribute(svg, "height");
    const std::regex path(R"( d="M[^"h]+" class="chart-curve)");  // not the legend's
    int curves = 0;
    for (auto p = std::sregex_iterator(svg.begin(), svg.end(), path); p != std::sregex_iterator();
         ++p) {
      ++curves;
      const std::string d = p->str();
      int i = 0;
      for (auto n = std::sregex_iterator(d.begin(), d.end(), number); n != std::sregex_iterator();
           ++n, ++i) {
        const double v = std::stod(n->str());
        EXPECT_TRUE(v >= 0 && v <= (i % 2 == 0 ? c.drawn_width : height)) << d;
      }
    }
    if (c.curves >= 0) {
      EXPECT_EQ(curves, c.curves) << svg;
    }
    EXPECT_EQ(svg.find("As mounted"), std::string::npos);
    EXPECT_EQ(svg.find("nan"), std::string::npos);
  }
}

// The readout gives the radius under the pointer, held to the record, and each arm's values
// there as the analysis computes them.
TEST(ScreenChart, ReadsTheValuesUnderThePointer) {
  const Analysis analysis = analysis_of(209, 57.5, 146.05);
  const ScreenChartReading left = screen_chart_reading(analysis, 390, -50);
  const ScreenChartReading right = screen_chart_reading(analysis, 390, 1e9);
  const ScreenChartReading middle =
      screen_chart_reading(analysis, 390, (left.x_px + right.x_px) / 2);
  EXPECT_EQ(left.radius_mm, 57.5);
  EXPECT_EQ(right.radius_mm, 146.05);
  EXPECT_NEAR(middle.radius_mm, (57.5 + 146.05) / 2, 0.01);
  EXPECT_TRUE(left.text.starts_with("At 57.5 mm:\nLöfgren A: ")) << left.text;
  const ArmAnalysis& b = analysis.arms[1];
  const TrackingValues at = tracking_at(209, b.effective_length_mm, b.offset_angle_deg, 146.05,
                                        analysis.options.rpm, analysis.options.velocity_mm_per_s);
  EXPECT_NE(
      right.text.find("\nLöfgren B: " + format_three_decimals(at.tracking_error_deg) +
                      "\u00B0, distortion " + format_three_decimals(at.distortion_percent) + " %"),
      std::string::npos)
      << right.text;
  EXPECT_EQ(screen_chart_reading(analysis_of(209, 146.05, 57.5), 390, 100).text, "");
  EXPECT_EQ(screen_chart_reading(analysis, nan, nan).radius_mm, 57.5);
}

}  // namespace
}  // namespace veltrane
