#pragma once

#include <string>

#include "model/analysis.h"

namespace veltrane {

// The analysis drawn for a screen rather than for paper: an SVG measured in CSS pixels,
// as wide as the space it is shown in, with texts of a readable size at any width. Its
// colours come from CSS classes (`chart-frame`, `chart-grid`, `chart-text`, `chart-arm-N`
// with `chart-chosen`), so that the page's light and dark schemes style it.

/// The narrowest and widest chart drawn; other widths are taken as the nearest of these.
inline constexpr double screen_chart_min_width_px = 240;
inline constexpr double screen_chart_max_width_px = 1400;
/// The size of every text of the chart, in CSS pixels.
inline constexpr double screen_chart_text_px = 13;

/// The SVG of the analysis at `width_px`: a legend, tracking error above and distortion below
/// on a shared radius axis, circles at the null radii on the record. Leaves out the arm
/// "As mounted". Without radii it says why instead of drawing curves.
std::string screen_chart_svg(const Analysis& analysis, double width_px);

/// What the chart of that width shows at the horizontal position `x_px`: the radius under
/// it (the nearest on the record), and its tracking error and distortion for each arm.
struct ScreenChartReading {
  double x_px = 0;  ///< where that radius lies on the chart
  double radius_mm = 0;
  std::string text;  ///< "At 100 mm:" then one line per arm; "" without radii
};

ScreenChartReading screen_chart_reading(const Analysis& analysis, double width_px, double x_px);

}  // namespace veltrane
