#include "chart/chart_page.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

#include "model/geometry.h"
#include "model/number_format.h"
#include "print/mm_drawing.h"
#include "print/print_job.h"
#include "print/text_extent.h"

namespace veltrane {
namespace {

constexpr double page_left = 22;  // left edge of the tick labels' column
constexpr double title_y = 12;
constexpr double inputs_y = 19;
constexpr double legend_y = 26;  // first legend row; two fit above the plots' usual place
constexpr double legend_row = 5.5;
constexpr double legend_column = 124;
constexpr double legend_sample_mm = 12;
constexpr double legend_text_gap_mm = 2.5;
constexpr double tick_mm = 1.5;
constexpr double marker_radius_mm = 0.8;
constexpr double min_vertex_spacing_mm = 0.1;
constexpr double far_mm = 1e9;  // beyond this a point is as good as at infinity on the page
constexpr long max_dash_pieces = 6'000;  // per curve; beyond it the rest is drawn solid

constexpr double title_pt = 13;
constexpr double text_pt = 9;
constexpr double tick_pt = 8;

constexpr double frame_pen_mm = 0.3;
constexpr double zero_pen_mm = 0.25;
constexpr double grid_pen_mm = 0.1;
constexpr double marker_pen_mm = 0.25;
constexpr double chosen_pen_mm = 0.6;
constexpr double curve_pen_mm = 0.35;

// Dash patterns in millimetres, alternately drawn and left out; empty is solid. Each arm
// keeps its pattern whichever others are drawn beside it.
struct ArmPattern {
  std::string_view key;
  std::vector<double> pattern;
};
const ArmPattern arm_patterns[] = {
    {"lofgren-a", {}},
    {"lofgren-b", {2.4, 1.2}},
    {"stevenson-a", {0.1, 0.7}},  // dots, the pen's round caps make them round
    {"as-given", {3.6, 1.0, 0.1, 1.0}},
    {"custom", {6.0, 1.5}},
    {"mounted", {3.6, 1.0, 0.1, 1.0, 0.1, 1.0}},
};
const std::vector<double> grid_pattern = {0.2, 1.0};
const std::vector<double> solid_pattern;

double points_to_mm(double pt) {
  return pt * 25.4 / 72;
}

struct Page {
  PrintJob& job;
  PageScale scale;
  Resolution dpi;
  double correction_x;
  double correction_y;
  // Where the last line ended, so that a path continues without a move.
  bool at_line_end = false;
  double end_x = 0;
  double end_y = 0;
};

int pen_dots(const Page& page, double mm) {
  const double dots = std::nearbyint(mm * page.dpi.down / 25.4);
  return dots >= 1 && dots <= 1000 ? static_cast<int>(dots) : 1;
}

void select_font(Page& page, double pt, bool italic) {
  page.job.select_font(make_print_font("Arial", pt * page.correction_y, italic));
}

// The width of a text in page millimetres: the font grows with the y correction, while
// page x positions stretch with the x correction.
double text_width_mm(const Page& page, std::string_view utf8, double pt) {
  const double width = text_width_em(utf8) * points_to_mm(pt) * page.correction_y;
  const double stretched = width / page.correction_x;
  return std::isfinite(stretched) ? stretched : width;
}

enum class Align { left, centre, right };

// A text whose capital letters are vertically centred on `y`.
void text_at(Page& page, double x, double y, std::string_view utf8, double pt, Align align) {
  const double width = text_width_mm(page, utf8, pt);
  if (align == Align::right) x -= width;
  if (align == Align::centre) x -= width / 2;
  // Ascent 0.905 em, capital height 0.716 em.
  draw_text_mm(page.job, page.scale, x, y - 0.547 * points_to_mm(pt), utf8);
  page.at_line_end = false;  // text moves the current position
}

void line(Page& page, double x1, double y1, double x2, double y2) {
  const DotPoint from{x1 * page.scale.dots_per_mm_x, y1 * page.scale.dots_per_mm_y};
  const DotPoint to{x2 * page.scale.dots_per_mm_x, y2 * page.scale.dots_per_mm_y};
  if (!is_drawable(from) || !is_drawable(to)) {
    page.at_line_end = false;
    return;
  }
  if (!(page.at_line_end && page.end_x == x1 && page.end_y == y1)) page.job.move_to(from.x, from.y);
  page.job.line_to(to.x, to.y);
  page.at_line_end = true;
  page.end_x = x2;
  page.end_y = y2;
}

// Draws segments along a path with a dash pattern that runs on from one segment to the next.
class DashedPen {
 public:
  DashedPen(Page& page, const std::vector<double>& pattern)
      : page_(page), pattern_(pattern), left_(pattern.empty() ? 0 : pattern[0]) {}

  void segment(double ax, double ay, double bx, double by) {
    if (pattern_.empty() || pieces_ > max_dash_pieces) {
      line(page_, ax, ay, bx, by);
      return;
    }
    const double length = std::hypot(bx - ax, by - ay);
    if (!(length > 0 && std::isfinite(length))) return;
    double at = 0;
    while (at < length) {
      const double take = std::min(left_, length - at);
      if (index_ % 2 == 0) {
        const double t0 = at / length;
        const double t1 = (at + take) / length;
        line(page_, ax + (bx - ax) * t0, ay + (by - ay) * t0, ax + (bx - ax) * t1,
             ay + (by - ay) * t1);
        ++pieces_;
      }
      at += take;
      left_ -= take;
      if (left_ <= 0) {
        index_ = (index_ + 1) % pattern_.size();
        left_ = pattern_[index_];
      }
    }
  }

 private:
  Page& page_;
  const std::vector<double>& pattern_;
  std::size_t index_ = 0;
  double left_;
  long pieces_ = 0;
};

void clipped_segment(DashedPen& pen, const FrameMm& frame, double ax, double ay, double bx,
                     double by) {
  if (clip_to_frame(frame, ax, ay, bx, by)) pen.segment(ax, ay, bx, by);
}

// Where a value falls between the ends of an axis, 0 to 1 inside it.
double axis_fraction(double value, double low, double high) {
  const double span = high - low;
  if (std::isfinite(span)) return (value - low) / span;
  return (value / 2 - low / 2) / (high / 2 - low / 2);
}

double clamp_far(double mm) {
  return std::clamp(mm, -far_mm, far_mm);
}

struct Plot {
  FrameMm frame;
  AxisScale x;
  AxisScale y;
  bool has_values = true;

  double x_mm(double r) const {
    return clamp_far(frame.left + axis_fraction(r, x.low, x.high) * (frame.right - frame.left));
  }
  double y_mm(double v) const {
    return clamp_far(frame.bottom - axis_fraction(v, y.low, y.high) * (frame.bottom - frame.top));
  }
};

void draw_frame(Page& page, const FrameMm& f) {
  line(page, f.left, f.top, f.right, f.top);
  line(page, f.right, f.top, f.right, f.bottom);
  line(page, f.right, f.bottom, f.left, f.bottom);
  line(page, f.left, f.bottom, f.left, f.top);
}

void draw_axes(Page& page, const Plot& plot, bool radius_labels, std::string_view caption) {
  const FrameMm& f = plot.frame;
  page.job.set_pen_width(pen_dots(page, grid_pen_mm));
  for (double r : plot.x.ticks) {
    const double x = plot.x_mm(r);
    if (x <= f.left || x >= f.right) continue;
    DashedPen grid(page, grid_pattern);
    grid.segment(x, f.bottom, x, f.top);
  }
  for (double v : plot.y.ticks) {
    const double y = plot.y_mm(v);
    if (v == 0 || y <= f.top || y >= f.bottom) continue;
    DashedPen grid(page, grid_pattern);
    grid.segment(f.left, y, f.right, y);
  }
  page.job.set_pen_width(pen_dots(page, zero_pen_mm));
  const double zero = plot.y_mm(0);
  if (plot.has_values && zero >= f.top && zero <= f.bottom) line(page, f.left, zero, f.right, zero);

  page.job.set_pen_width(pen_dots(page, frame_pen_mm));
  draw_frame(page, f);
  for (double r : plot.x.ticks) {
    const double x = plot.x_mm(r);
    if (x >= f.left && x <= f.right) line(page, x, f.bottom, x, f.bottom + tick_mm);
  }
  for (double v : plot.y.ticks) {
    const double y = plot.y_mm(v);
    if (y >= f.top && y <= f.bottom) line(page, f.left - tick_mm, y, f.left, y);
  }

  select_font(page, tick_pt, false);
  for (double v : plot.y.ticks) {
    const double y = plot.y_mm(v);
    if (y >= f.top && y <= f.bottom)
      text_at(page, f.left - tick_mm - 1, y, tick_label(v, plot.y.decimals), tick_pt, Align::right);
  }
  if (radius_labels) {
    for (double r : plot.x.ticks) {
      const double x = plot.x_mm(r);
      if (x >= f.left && x <= f.right)
        text_at(page, x, f.bottom + tick_mm + 3, tick_label(r, plot.x.decimals), tick_pt,
                Align::centre);
    }
  }
  select_font(page, text_pt, false);
  text_at(page, page_left, f.top - 3.5, caption, text_pt, Align::left);
}

struct Vertex {
  double x = 0;
  double y = 0;
  std::size_t index = 0;
};

// Gathers the points of a curve column by column of column_mm and keeps of each column its
// first, lowest, highest and last point, in their order: a curve of any number of radii then
// costs a bounded number of lines and still shows every excursion.
class ColumnReducer {
 public:
  explicit ColumnReducer(std::vector<Vertex>& out) : out_(out) {}

  void add(const Vertex& v) {
    const double column = std::floor(v.x / column_mm);
    if (count_ == 0 || column != column_) {
      flush();
      column_ = column;
      first_ = low_ = high_ = v;
    }
    if (v.y < low_.y) low_ = v;
    if (v.y > high_.y) high_ = v;
    last_ = v;
    ++count_;
  }

  void flush() {
    if (count_ == 0) return;
    Vertex kept[] = {first_, low_, high_, last_};
    std::sort(std::begin(kept), std::end(kept),
              [](const Vertex& a, const Vertex& b) { return a.index < b.index; });
    for (const Vertex& v : kept) {
      if (out_.empty() || out_.back().index != v.index) out_.push_back(v);
    }
    count_ = 0;
  }

 private:
  static constexpr double column_mm = 0.1;
  std::vector<Vertex>& out_;
  std::size_t count_ = 0;
  double column_ = 0;
  Vertex first_, low_, high_, last_;
};

void draw_run(DashedPen& pen, const FrameMm& frame, const std::vector<Vertex>& run) {
  if (run.size() < 2) return;
  Vertex last = run.front();
  for (std::size_t i = 1; i < run.size(); ++i) {
    const Vertex& v = run[i];
    // Points closer than a fraction of a pen width add nothing but operations.
    if (i + 1 < run.size() && std::hypot(v.x - last.x, v.y - last.y) < min_vertex_spacing_mm)
      continue;
    clipped_segment(pen, frame, last.x, last.y, v.x, v.y);
    last = v;
  }
}

void draw_curve(Page& page, const Plot& plot, const Analysis& analysis, const ArmAnalysis& arm,
                double TrackingValues::*figure, const std::vector<double>& pattern) {
  const std::vector<double>& radii = analysis.radii_mm;
  DashedPen pen(page, pattern);
  std::vector<Vertex> run;
  ColumnReducer reducer(run);
  const auto end_run = [&] {
    reducer.flush();
    draw_run(pen, plot.frame, run);
    run.clear();
  };
  for (std::size_t i = 0; i < radii.size(); ++i) {
    const double value = analysis_row(analysis, arm, i).*figure;
    const double x = plot.x_mm(radii[i]);
    const double y = plot.y_mm(value);
    if (!std::isfinite(value) || !std::isfinite(x) || !std::isfinite(y)) {
      end_run();
      continue;
    }
    reducer.add({x, y, i});
  }
  end_run();
}

void draw_marker(Page& page, const FrameMm& frame, double x, double y) {
  DashedPen pen(page, solid_pattern);
  constexpr int sides = 16;
  for (int i = 0; i < sides; ++i) {
    const double a0 = 2 * std::numbers::pi * i / sides;
    const double a1 = 2 * std::numbers::pi * (i + 1) / sides;
    clipped_segment(pen, frame, x + marker_radius_mm * std::cos(a0),
                    y + marker_radius_mm * std::sin(a0), x + marker_radius_mm * std::cos(a1),
                    y + marker_radius_mm * std::sin(a1));
  }
}

void draw_null_markers(Page& page, const Plot& plot, const ArmAnalysis& arm) {
  for (double r : {arm.inner_null_radius_mm, arm.outer_null_radius_mm}) {
    if (!(r >= plot.x.low && r <= plot.x.high)) continue;
    draw_marker(page, plot.frame, plot.x_mm(r), plot.y_mm(0));
  }
}

// The arm's own pattern; an arm of another key takes one by its place.
const std::vector<double>& pattern_for(const Analysis& analysis, std::size_t a) {
  for (const ArmPattern& p : arm_patterns) {
    if (p.key == analysis.arms[a].key) return p.pattern;
  }
  return arm_patterns[a % std::size(arm_patterns)].pattern;
}

double curve_pen_for(const ArmAnalysis& arm) {
  return arm.chosen ? chosen_pen_mm : curve_pen_mm;
}

std::string null_text(const ArmAnalysis& arm) {
  const bool inner = !std::isnan(arm.inner_null_radius_mm);
  const bool outer = !std::isnan(arm.outer_null_radius_mm);
  if (!inner && !outer) return "no null radii";
  if (!inner || !outer)
    return "null at " +
           format_three_decimals(inner ? arm.inner_null_radius_mm : arm.outer_null_radius_mm) +
           " mm";
  return "nulls at " + format_three_decimals(arm.inner_null_radius_mm) + " and " +
         format_three_decimals(arm.outer_null_radius_mm) + " mm";
}

std::string legend_text(const ArmAnalysis& arm) {
  std::string text(arm.name);
  if (arm.chosen) text += " (chosen)";
  if (arm.by_length_and_offset) {
    text += ": L = " + format_three_decimals(arm.effective_length_mm) +
            " mm, offset = " + format_three_decimals(arm.offset_angle_deg) + "\u00B0";
  }
  return text + ", " + null_text(arm);
}

struct LegendSlot {
  std::size_t row = 0;
  std::size_t column = 0;
};

// Two entries to a row; an entry too wide for the left column has its row to itself. The
// widths are those of the uncorrected page, so that the layout is the analysis' alone.
std::vector<LegendSlot> legend_slots(const Analysis& analysis) {
  const double room = legend_column - legend_sample_mm - legend_text_gap_mm - legend_text_gap_mm;
  std::vector<LegendSlot> slots;
  LegendSlot next;
  for (const ArmAnalysis& arm : analysis.arms) {
    slots.push_back(next);
    const bool wide = text_width_em(legend_text(arm)) * points_to_mm(text_pt) > room;
    if (next.column == 0 && !wide) {
      next.column = 1;
    } else {
      next = {next.row + 1, 0};
    }
  }
  return slots;
}

void draw_legend(Page& page, const Analysis& analysis) {
  const FrameMm whole{0, 0, 1e4, 1e4};
  const std::vector<LegendSlot> slots = legend_slots(analysis);
  for (std::size_t a = 0; a < analysis.arms.size(); ++a) {
    const ArmAnalysis& arm = analysis.arms[a];
    const double x = page_left + static_cast<double>(slots[a].column) * legend_column;
    const double y = legend_y + static_cast<double>(slots[a].row) * legend_row;
    page.job.set_pen_width(pen_dots(page, curve_pen_for(arm)));
    DashedPen pen(page, pattern_for(analysis, a));
    pen.segment(x, y, x + legend_sample_mm, y);
    page.job.set_pen_width(pen_dots(page, marker_pen_mm));
    if (!std::isnan(arm.inner_null_radius_mm) || !std::isnan(arm.outer_null_radius_mm))
      draw_marker(page, whole, x + legend_sample_mm / 2, y);
    select_font(page, text_pt, false);
    text_at(page, x + legend_sample_mm + legend_text_gap_mm, y, legend_text(arm), text_pt,
            Align::left);
  }
}

AxisScale value_axis(const Analysis& analysis, double TrackingValues::*figure) {
  double low = 0;
  double high = 0;
  for (const ArmAnalysis& arm : analysis.arms) {
    for (std::size_t i = 0; i < analysis.radii_mm.size(); ++i) {
      const double v = analysis_row(analysis, arm, i).*figure;
      if (!std::isfinite(v)) continue;
      low = std::min(low, v);
      high = std::max(high, v);
    }
  }
  return round_axis(low, high);
}

// Decimal places that show every multiple of `step` = m x 10^exponent exactly.
int decimals_for(double m, int exponent) {
  if (exponent > 6 || exponent < -6) return -1;
  return std::max(0, -exponent + (m == 2.5 ? 1 : 0));
}

AxisScale ticks_between(double low, double high, double raw, std::initializer_list<double> steps,
                        bool widen) {
  AxisScale axis{low, high, {}, 0};
  if (!(raw > 0 && std::isfinite(raw))) return axis;
  const int exponent = static_cast<int>(std::floor(std::log10(raw)));
  const double magnitude = std::pow(10.0, exponent);
  double m = 10;
  for (double candidate : steps) {
    if (candidate * magnitude >= raw) {
      m = candidate;
      break;
    }
  }
  const double step = m * magnitude;
  const double first = widen ? std::floor(low / step) : std::ceil(low / step);
  const double last = widen ? std::ceil(high / step) : std::floor(high / step);
  if (!(std::isfinite(step) && std::isfinite(first) && std::isfinite(last) && last - first < 40))
    return axis;
  for (double k = first; k <= last; ++k) {
    const double v = k * step;
    axis.ticks.push_back(v == 0 ? 0.0 : v);
  }
  if (widen && !axis.ticks.empty() && std::isfinite(axis.ticks.back() - axis.ticks.front())) {
    axis.low = axis.ticks.front();
    axis.high = axis.ticks.back();
  }
  axis.decimals = decimals_for(m == 10 ? 1 : m, m == 10 ? exponent + 1 : exponent);
  return axis;
}

// The span divided into `parts`, also where the span itself is beyond the doubles.
double tick_spacing(double low, double high, double parts) {
  const double span = high - low;
  return std::isfinite(span) ? span / parts : high / parts - low / parts;
}

}  // namespace

std::size_t legend_rows(const Analysis& analysis) {
  const std::vector<LegendSlot> slots = legend_slots(analysis);
  return slots.empty() ? 0 : slots.back().row + 1;
}

FrameMm error_plot_frame_for(std::size_t legend_rows) {
  FrameMm frame = error_plot_frame;
  if (legend_rows <= 2) return frame;
  const double lowest_top = frame.bottom - (frame.bottom - frame.top) / 3;
  frame.top = std::min(lowest_top, frame.top + static_cast<double>(legend_rows - 2) * legend_row);
  return frame;
}

std::vector<PageMark> chart_marks(const ParameterSet& set, const Analysis& analysis) {
  std::vector<PageMark> marks;
  const auto add = [&](const char* name, const FrameMm& frame) {
    MarkExtent extent(set.correction_x, set.correction_y);
    extent.point(frame.left, frame.top);
    extent.point(frame.right, frame.bottom);
    if (extent.finite()) marks.push_back({name, extent.box()});
  };
  add("the tracking-error plot", error_plot_frame_for(legend_rows(analysis)));
  add("the distortion plot", distortion_plot_frame);
  return marks;
}

bool clip_to_frame(const FrameMm& frame, double& ax, double& ay, double& bx, double& by) {
  const double dx = bx - ax;
  const double dy = by - ay;
  if (!(std::isfinite(ax) && std::isfinite(ay) && std::isfinite(dx) && std::isfinite(dy)))
    return false;
  double t0 = 0;
  double t1 = 1;
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {ax - frame.left, frame.right - ax, ay - frame.top, frame.bottom - ay};
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0) {
      if (q[i] < 0) return false;
      continue;
    }
    const double t = q[i] / p[i];
    if (p[i] < 0) {
      if (t > t1) return false;
      t0 = std::max(t0, t);
    } else {
      if (t < t0) return false;
      t1 = std::min(t1, t);
    }
  }
  // The ends are clamped as well, so that rounding cannot put them a hair outside.
  const auto x_at = [&](double t) { return std::clamp(ax + t * dx, frame.left, frame.right); };
  const auto y_at = [&](double t) { return std::clamp(ay + t * dy, frame.top, frame.bottom); };
  const double x0 = x_at(t0), y0 = y_at(t0), x1 = x_at(t1), y1 = y_at(t1);
  ax = x0;
  ay = y0;
  bx = x1;
  by = y1;
  return true;
}

AxisScale round_axis(double low, double high) {
  if (low == high) {
    const double widen = low == 0 ? 1 : std::fabs(low);
    low -= widen;
    high += widen;
  }
  return ticks_between(low, high, tick_spacing(low, high, 6), {1, 2, 2.5, 5}, true);
}

AxisScale radius_axis(double low, double high) {
  return ticks_between(low, high, tick_spacing(low, high, 8), {1, 2, 5}, false);
}

std::string tick_label(double value, int decimals) {
  std::string text = decimals < 0 ? format_significant(value, 4) : format_fixed(value, decimals);
  if (text.starts_with('-')) {
    if (text.find_first_not_of("-0.") == std::string::npos) return text.substr(1);
    return "\u2212" + text.substr(1);
  }
  return text;
}

void print_chart_page(const ParameterSet& set, const Analysis& analysis, const PrintOpener& open) {
  PrintJob job = PrintJob::open_with_dialog(open);
  if (job.is_open()) {
    job.set_orientation(Orientation::landscape);
    const Resolution dpi = job.dots_per_inch();
    Page page{job, make_page_scale(dpi, set.correction_x, set.correction_y), dpi, set.correction_x,
              set.correction_y};

    select_font(page, title_pt, true);
    std::string title = "Tracking error and distortion";
    if (!analysis.id.empty()) title += " \u2013 " + analysis.id;
    text_at(page, page_left, title_y, title, title_pt, Align::left);
    const AnalysisOptions& o = analysis.options;
    select_font(page, text_pt, false);
    text_at(page, page_left, inputs_y,
            "Pivot to spindle " + format_three_decimals(analysis.pivot_to_spindle_mm) +
                " mm, groove radii " + format_three_decimals(analysis.inner_groove_radius_mm) +
                " to " + format_three_decimals(analysis.outer_groove_radius_mm) + " mm, " +
                format_three_decimals(o.rpm) + " rpm, peak velocity " +
                format_three_decimals(o.velocity_mm_per_s) + " mm/s",
            text_pt, Align::left);
    draw_legend(page, analysis);

    const bool has_radii = analysis.radii_mm.size() >= 2;
    const AxisScale x =
        has_radii ? radius_axis(analysis.inner_groove_radius_mm, analysis.outer_groove_radius_mm)
                  : AxisScale{0, 1, {}, 0};
    // Without radii the frames stay empty but for the reason.
    const AxisScale none{-1, 1, {}, 0};
    const Plot error{error_plot_frame_for(legend_rows(analysis)), x,
                     has_radii ? value_axis(analysis, &TrackingValues::tracking_error_deg) : none,
                     has_radii};
    const Plot distortion{
        distortion_plot_frame, x,
        has_radii ? value_axis(analysis, &TrackingValues::distortion_percent) : none, has_radii};
    draw_axes(page, error, false, "Tracking error (degrees)");
    draw_axes(page, distortion, has_radii, "Distortion (%)");
    if (has_radii) {
      select_font(page, text_pt, false);
      text_at(page, (distortion.frame.left + distortion.frame.right) / 2,
              distortion.frame.bottom + tick_mm + 8, "Radius (mm)", text_pt, Align::centre);
    } else {
      const std::string reason = "No radii: " + analysis.no_radii_reason + ".";
      select_font(page, text_pt, false);
      text_at(page, (error.frame.left + error.frame.right) / 2,
              (error.frame.top + error.frame.bottom) / 2, reason, text_pt, Align::centre);
    }

    if (has_radii) {
      // The chosen alignment last, so that its heavier line lies on top.
      std::vector<std::size_t> order;
      for (std::size_t a = 0; a < analysis.arms.size(); ++a) {
        if (!analysis.arms[a].chosen) order.push_back(a);
      }
      for (std::size_t a = 0; a < analysis.arms.size(); ++a) {
        if (analysis.arms[a].chosen) order.push_back(a);
      }
      for (std::size_t a : order) {
        const ArmAnalysis& arm = analysis.arms[a];
        const std::vector<double>& pattern = pattern_for(analysis, a);
        job.set_pen_width(pen_dots(page, curve_pen_for(arm)));
        draw_curve(page, error, analysis, arm, &TrackingValues::tracking_error_deg, pattern);
        draw_curve(page, distortion, analysis, arm, &TrackingValues::distortion_percent, pattern);
      }
      job.set_pen_width(pen_dots(page, marker_pen_mm));
      for (const ArmAnalysis& arm : analysis.arms) {
        draw_null_markers(page, error, arm);
        draw_null_markers(page, distortion, arm);
      }
    }
  }
  job.close();
}

}  // namespace veltrane
