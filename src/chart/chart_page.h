#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "model/analysis.h"
#include "model/parameter_set.h"
#include "print/page_mark.h"
#include "print/print_device.h"

namespace veltrane {

/// A rectangle in page millimetres, y downward.
struct FrameMm {
  double left = 0;
  double top = 0;
  double right = 0;
  double bottom = 0;
};

/// The two plots of the chart page: tracking error above, distortion below, sharing the
/// radius axis. Everything drawn for the curves stays inside these frames.
inline constexpr FrameMm error_plot_frame{36, 43, 266, 109};
inline constexpr FrameMm distortion_plot_frame{36, 119, 266, 185};

/// The rows of the chart's legend: two curves to a row, but a curve whose text is too long for
/// the left column has a row to itself.
std::size_t legend_rows(const Analysis& analysis);

/// The tracking-error plot below a legend of that many rows: error_plot_frame, lowered at the
/// top by a row for each row beyond two, and never less than a third of its height.
FrameMm error_plot_frame_for(std::size_t legend_rows);

/// Prints the analysis as a chart on one landscape page of the device `open` chooses,
/// scaled by the set's correction factors; nothing when it chooses none.
void print_chart_page(const ParameterSet& set, const Analysis& analysis, const PrintOpener& open);

/// Where the chart's two plots land for `set`'s correction factors: "the tracking-error
/// plot" (as lowered by the legend of `analysis`) and "the distortion plot".
std::vector<PageMark> chart_marks(const ParameterSet& set, const Analysis& analysis);

/// Cuts the segment a-b to the frame (Liang-Barsky). False when nothing of it is inside
/// or a coordinate is not finite.
bool clip_to_frame(const FrameMm& frame, double& ax, double& ay, double& bx, double& by);

/// An axis: its ends and round-number tick values between them (both ends included).
struct AxisScale {
  double low = 0;
  double high = 0;
  std::vector<double> ticks;
  int decimals = 0;  ///< of the tick labels
};

/// Round ends around [low, high] (which must be finite, low <= high) and about five to
/// ten ticks of 1, 2, 2.5 or 5 times a power of ten. An empty range widens to one unit.
AxisScale round_axis(double low, double high);

/// The ticks of 1, 2 or 5 times a power of ten within [low, high], which stay the ends.
AxisScale radius_axis(double low, double high);

/// A tick label: `decimals` places, a minus sign (U+2212) for negative values, no "-0".
std::string tick_label(double value, int decimals);

}  // namespace veltrane
