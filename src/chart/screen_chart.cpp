#include "chart/screen_chart.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "chart/chart_page.h"
#include "model/number_format.h"
#include "print/text_extent.h"

namespace veltrane {
namespace {

constexpr double pad_px = 8;
constexpr double legend_row_px = 22;
constexpr double legend_sample_px = 28;
constexpr double legend_gap_px = 6;
constexpr double legend_spacing_px = 18;
constexpr double caption_px = 20;  // from a plot's caption line to its frame
constexpr double tick_px = 4;
constexpr double marker_px = 3.5;
constexpr double far_px = 1e6;  // beyond this a point is as good as at infinity

bool drawn(const ArmAnalysis& arm) {
  return arm.key != "mounted";
}

double text_px(std::string_view utf8) {
  return text_width_em(utf8) * screen_chart_text_px;
}

std::string px(double value) {
  return format_fixed(std::clamp(value, -far_px, far_px), 1);
}

std::string escaped(std::string_view text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

// A text whose middle height lies on y (the baseline a third of an em lower).
std::string text(double x, double y, std::string_view utf8, std::string_view anchor = "start") {
  return "<text x=\"" + px(x) + R"(" y=")" + px(y + screen_chart_text_px / 3) +
         R"(" text-anchor=")" + std::string(anchor) + R"(" class="chart-text">)" + escaped(utf8) +
         "</text>";
}

std::string line(double x1, double y1, double x2, double y2, std::string_view cls) {
  return "<line x1=\"" + px(x1) + R"(" y1=")" + px(y1) + R"(" x2=")" + px(x2) + R"(" y2=")" +
         px(y2) + R"(" class=")" + std::string(cls) + "\"/>";
}

struct Legend {
  struct Item {
    std::size_t arm;
    double x;
    double y;
  };
  std::vector<Item> items;
  double bottom = pad_px;
};

std::string legend_text(const ArmAnalysis& arm) {
  return std::string(arm.name) + (arm.chosen ? " (chosen)" : "");
}

// The arms' samples and names flowing in rows across the width.
Legend legend_for(const Analysis& analysis, double width) {
  Legend legend;
  double x = pad_px;
  double row = 0;
  for (std::size_t a = 0; a < analysis.arms.size(); ++a) {
    if (!drawn(analysis.arms[a])) continue;
    const double item = legend_sample_px + legend_gap_px + text_px(legend_text(analysis.arms[a]));
    if (x > pad_px && x + item > width - pad_px) {
      x = pad_px;
      ++row;
    }
    legend.items.push_back({a, x, pad_px + legend_row_px * (row + 0.5)});
    x += item + legend_spacing_px;
  }
  legend.bottom = pad_px + legend_row_px * (row + 1);
  return legend;
}

// Where a value lies between an axis's ends, 0 to 1 inside them.
double fraction(double value, const AxisScale& axis) {
  const double span = axis.high - axis.low;
  if (std::isfinite(span) && span > 0) return (value - axis.low) / span;
  return (value / 2 - axis.low / 2) / (axis.high / 2 - axis.low / 2);
}

struct Plot {
  FrameMm frame;  // in px here
  AxisScale y;
  std::string_view caption;
  double TrackingValues::*figure;
};

struct Layout {
  double width = 0;
  double height = 0;
  Legend legend;
  AxisScale x;
  std::vector<Plot> plots;
  bool has_radii = false;

  double x_px(double r) const {
    const FrameMm& f = plots.front().frame;
    return f.left + fraction(r, x) * (f.right - f.left);
  }
  static double y_px(const Plot& plot, double v) {
    return plot.frame.bottom - fraction(v, plot.y) * (plot.frame.bottom - plot.frame.top);
  }
};

AxisScale value_axis(const Analysis& analysis, double TrackingValues::*figure) {
  double low = 0;
  double high = 0;
  for (const ArmAnalysis& arm : analysis.arms) {
    if (!drawn(arm)) continue;
    for (std::size_t i = 0; i < analysis.radii_mm.size(); ++i) {
      const double v = analysis_row(analysis, arm, i).*figure;
      if (!std::isfinite(v)) continue;
      low = std::min(low, v);
      high = std::max(high, v);
    }
  }
  return round_axis(low, high);
}

double widest_label(const AxisScale& axis) {
  double widest = text_px("0");
  for (double v : axis.ticks) widest = std::max(widest, text_px(tick_label(v, axis.decimals)));
  return widest;
}

Layout layout_for(const Analysis& analysis, double width_px) {
  Layout layout;
  layout.width = std::isnan(width_px)
                     ? screen_chart_min_width_px
                     : std::clamp(width_px, screen_chart_min_width_px, screen_chart_max_width_px);
  layout.legend = legend_for(analysis, layout.width);
  layout.has_radii = analysis.radii_mm.size() >= 2;
  const AxisScale none{-1, 1, {}, 0};
  layout.x = layout.has_radii
                 ? radius_axis(analysis.inner_groove_radius_mm, analysis.outer_groove_radius_mm)
                 : AxisScale{0, 1, {}, 0};
  const AxisScale error_y =
      layout.has_radii ? value_axis(analysis, &TrackingValues::tracking_error_deg) : none;
  const AxisScale distortion_y =
      layout.has_radii ? value_axis(analysis, &TrackingValues::distortion_percent) : none;
  const double left = pad_px + std::max(widest_label(error_y), widest_label(distortion_y)) + 6;
  const double last_label =
      layout.x.ticks.empty() ? 0 : text_px(tick_label(layout.x.ticks.back(), layout.x.decimals));
  const double right = layout.width - pad_px - std::max(4.0, last_label / 2);
  const double plot_height = std::clamp(layout.width * 0.4, 120.0, 260.0);
  double top = layout.legend.bottom + caption_px + 4;
  for (const auto& [axis, caption, figure] :
       {std::tuple{error_y, "Tracking error (\u00B0)", &TrackingValues::tracking_error_deg},
        std::tuple{distortion_y, "Distortion (%)", &TrackingValues::distortion_percent}}) {
    layout.plots.push_back({{left, top, right, top + plot_height}, axis, caption, figure});
    top += plot_height + caption_px + 16;
  }
  layout.height = layout.plots.back().frame.bottom + 44;
  return layout;
}

void draw_axes(std::string& svg, const Layout& layout, const Plot& plot, bool radius_labels) {
  const FrameMm& f = plot.frame;
  svg += text(f.left, f.top - caption_px / 2 - 2, plot.caption);
  for (double v : plot.y.ticks) {
    const double y = Layout::y_px(plot, v);
    if (y > f.top && y < f.bottom) svg += line(f.left, y, f.right, y, "chart-grid");
    svg += text(f.left - 6, y, tick_label(v, plot.y.decimals), "end");
  }
  for (double r : layout.x.ticks) {
    const double x = layout.x_px(r);
    if (x > f.left && x < f.right) svg += line(x, f.top, x, f.bottom, "chart-grid");
    svg += line(x, f.bottom, x, f.bottom + tick_px, "chart-frame");
    if (radius_labels)
      svg += text(x, f.bottom + tick_px + 10, tick_label(r, layout.x.decimals), "middle");
  }
  const double zero = Layout::y_px(plot, 0);
  if (layout.has_radii && zero >= f.top && zero <= f.bottom)
    svg += line(f.left, zero, f.right, zero, "chart-frame");
  svg += "<rect x=\"" + px(f.left) + R"(" y=")" + px(f.top) + R"(" width=")" +
         px(f.right - f.left) + R"(" height=")" + px(f.bottom - f.top) +
         R"(" class="chart-frame" fill="none"/>)";
}

std::string arm_class(const ArmAnalysis& arm) {
  return "chart-arm-" + std::to_string(arm.screen_colour) + (arm.chosen ? " chart-chosen" : "");
}

std::string stroke_attributes(const ArmAnalysis& arm) {
  const std::string_view dashes = arm.screen_dashes;
  std::string attributes = R"( class="chart-curve )" + arm_class(arm) + R"(" fill="none")";
  if (!dashes.empty()) attributes += " stroke-dasharray=\"" + std::string(dashes) + "\"";
  return attributes;
}

// The curve as one path of the pieces inside the frame; where the arm cannot reach a radius
// the path breaks.
std::string curve(const Layout& layout, const Plot& plot, const Analysis& analysis,
                  const ArmAnalysis& arm) {
  std::string d;
  bool have_previous = false;
  bool continues = false;
  double px0 = 0;
  double py0 = 0;
  for (std::size_t i = 0; i < analysis.radii_mm.size(); ++i) {
    const double v = analysis_row(analysis, arm, i).*plot.figure;
    const double x = layout.x_px(analysis.radii_mm[i]);
    const double y = std::clamp(Layout::y_px(plot, v), -far_px, far_px);
    if (std::isnan(v) || !std::isfinite(x)) {
      have_previous = continues = false;
      continue;
    }
    if (have_previous) {
      double ax = px0, ay = py0, bx = x, by = y;
      if (clip_to_frame(plot.frame, ax, ay, bx, by)) {
        if (!continues || ax != px0 || ay != py0) d += "M" + px(ax) + " " + px(ay);
        d += "L" + px(bx) + " " + px(by);
        continues = bx == x && by == y;
      } else {
        continues = false;
      }
    }
    have_previous = true;
    px0 = x;
    py0 = y;
  }
  if (d.empty()) return {};
  return "<path d=\"" + d + "\"" + stroke_attributes(arm) + "/>";
}

std::string markers(const Layout& layout, const Plot& plot, const ArmAnalysis& arm) {
  std::string svg;
  const double zero = Layout::y_px(plot, 0);
  if (!(zero >= plot.frame.top && zero <= plot.frame.bottom)) return svg;
  const std::pair<double, bool> nulls[] = {{arm.inner_null_radius_mm, arm.inner_null_on_record},
                                           {arm.outer_null_radius_mm, arm.outer_null_on_record}};
  for (const auto& [radius, on_record] : nulls) {
    if (!on_record) continue;
    svg += "<circle cx=\"" + px(layout.x_px(radius)) + R"(" cy=")" + px(zero) + R"(" r=")" +
           px(marker_px) + R"(" class="chart-marker )" + arm_class(arm) + "\"/>";
  }
  return svg;
}

}  // namespace

std::string screen_chart_svg(const Analysis& analysis, double width_px) {
  const Layout layout = layout_for(analysis, width_px);
  std::string svg = R"(<svg xmlns="http://www.w3.org/2000/svg" width=")" + px(layout.width) +
                    R"(" height=")" + px(layout.height) + R"(" viewBox="0 0 )" + px(layout.width) +
                    " " + px(layout.height) + R"(" font-size=")" + px(screen_chart_text_px) +
                    R"(" class="screen-chart">)";
  for (const Legend::Item& item : layout.legend.items) {
    const ArmAnalysis& arm = analysis.arms[item.arm];
    svg += "<path d=\"M" + px(item.x) + " " + px(item.y) + "h" + px(legend_sample_px) + "\"" +
           stroke_attributes(arm) + "/>";
    svg += text(item.x + legend_sample_px + legend_gap_px, item.y, legend_text(arm));
  }
  for (std::size_t p = 0; p < layout.plots.size(); ++p)
    draw_axes(svg, layout, layout.plots[p], p + 1 == layout.plots.size());
  const FrameMm& last = layout.plots.back().frame;
  if (layout.has_radii) {
    svg += text((last.left + last.right) / 2, last.bottom + tick_px + 30, "Radius (mm)", "middle");
    // The chosen arm last, so that its heavier line lies on top.
    for (const bool chosen : {false, true}) {
      for (const ArmAnalysis& arm : analysis.arms) {
        if (!drawn(arm) || arm.chosen != chosen) continue;
        for (const Plot& plot : layout.plots) svg += curve(layout, plot, analysis, arm);
      }
    }
    for (const ArmAnalysis& arm : analysis.arms) {
      if (!drawn(arm)) continue;
      for (const Plot& plot : layout.plots) svg += markers(layout, plot, arm);
    }
  } else {
    const FrameMm& first = layout.plots.front().frame;
    svg += text((first.left + first.right) / 2, (first.top + first.bottom) / 2,
                "No radii: " + analysis.no_radii_reason + ".", "middle");
  }
  svg += line(last.left, layout.plots.front().frame.top, last.left, last.bottom,
              R"(chart-cursor" visibility="hidden)");
  svg += "</svg>";
  return svg;
}

ScreenChartReading screen_chart_reading(const Analysis& analysis, double width_px, double x_px) {
  const Layout layout = layout_for(analysis, width_px);
  if (!layout.has_radii) return {};
  const FrameMm& f = layout.plots.front().frame;
  const double t =
      std::isnan(x_px) ? 0 : std::clamp((x_px - f.left) / (f.right - f.left), 0.0, 1.0);
  const double r = std::clamp(layout.x.low + t * (layout.x.high - layout.x.low),
                              analysis.inner_groove_radius_mm, analysis.outer_groove_radius_mm);
  ScreenChartReading reading{layout.x_px(r), r, "At " + format_up_to_three_decimals(r) + " mm:"};
  const AnalysisOptions& o = analysis.options;
  for (const ArmAnalysis& arm : analysis.arms) {
    if (!drawn(arm)) continue;
    const TrackingValues v = tracking_at(analysis.pivot_to_spindle_mm, arm.effective_length_mm,
                                         arm.offset_angle_deg, r, o.rpm, o.velocity_mm_per_s);
    reading.text += "\n" + std::string(arm.name) + ": ";
    if (std::isnan(v.tracking_error_deg)) {
      reading.text += "out of the arm's reach";
    } else {
      reading.text += format_three_decimals(v.tracking_error_deg) + "\u00B0, distortion " +
                      format_three_decimals(v.distortion_percent) + " %";
    }
  }
  return reading;
}

}  // namespace veltrane
