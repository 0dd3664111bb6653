#include "chart/speed_page.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "chart/chart_page.h"
#include "model/number_format.h"
#include "model/speed_report.h"
#include "print/mm_drawing.h"
#include "print/print_job.h"
#include "print/text_extent.h"

namespace veltrane {
namespace {

constexpr FrameMm time_frame{36, 42, 266, 106};
constexpr FrameMm spectrum_frame{36, 126, 266, 186};
constexpr double left_mm = 22;
constexpr double title_pt = 13;
constexpr double text_pt = 9;
constexpr double tick_pt = 8;
constexpr double tick_mm = 1.5;
constexpr double column_mm = 0.2;  // the spectrum keeps its highest bin per column
constexpr double lowest_hz = 0.2;
constexpr double highest_hz = 200;
constexpr double frequency_ticks[] = {0.2, 0.5, 1, 2, 5, 10, 20, 50, 100, 200};

struct Sheet {
  PrintJob& job;
  PageScale scale;
  Resolution dpi;
};

double points_to_mm(double pt) {
  return pt * 25.4 / 72;
}

void pen(Sheet& s, double mm) {
  const double dots = std::nearbyint(mm * s.dpi.down / 25.4);
  s.job.set_pen_width(dots >= 1 && dots <= 1000 ? static_cast<int>(dots) : 1);
}

enum class Align { left, centre, right };

// A text whose capital letters are vertically centred on `y`.
void text_at(Sheet& s, double x, double y, const std::string& utf8, double pt, Align align) {
  s.job.select_font(make_print_font("Arial", pt, false));
  const double width = text_width_em(utf8) * points_to_mm(pt);
  if (align == Align::right) x -= width;
  if (align == Align::centre) x -= width / 2;
  draw_text_mm(s.job, s.scale, x, y - 0.547 * points_to_mm(pt), utf8);
}

void segment(Sheet& s, const FrameMm& frame, double ax, double ay, double bx, double by) {
  if (clip_to_frame(frame, ax, ay, bx, by)) draw_line_mm(s.job, s.scale, ax, ay, bx, by);
}

struct Plot {
  FrameMm frame;
  double x_low, x_high;
  bool log_x;
  AxisScale y;
  double x_mm(double x) const {
    const double f =
        log_x ? std::log(x / x_low) / std::log(x_high / x_low) : (x - x_low) / (x_high - x_low);
    return frame.left + f * (frame.right - frame.left);
  }
  double y_mm(double v) const {
    return frame.bottom - (v - y.low) / (y.high - y.low) * (frame.bottom - frame.top);
  }
};

void draw_plot(Sheet& s, const Plot& p, const std::vector<double>& x_ticks, int x_decimals,
               const std::string& caption, const std::string& x_caption) {
  const FrameMm& f = p.frame;
  pen(s, 0.1);
  for (const double v : p.y.ticks) segment(s, f, f.left, p.y_mm(v), f.right, p.y_mm(v));
  for (const double x : x_ticks) segment(s, f, p.x_mm(x), f.top, p.x_mm(x), f.bottom);
  pen(s, 0.3);
  draw_line_mm(s.job, s.scale, f.left, f.top, f.right, f.top);
  draw_line_mm(s.job, s.scale, f.right, f.top, f.right, f.bottom);
  draw_line_mm(s.job, s.scale, f.right, f.bottom, f.left, f.bottom);
  draw_line_mm(s.job, s.scale, f.left, f.bottom, f.left, f.top);
  for (const double v : p.y.ticks)
    text_at(s, f.left - tick_mm - 1, p.y_mm(v), tick_label(v, p.y.decimals), tick_pt, Align::right);
  for (const double x : x_ticks) {
    const std::string label =
        x_decimals < 0 ? format_up_to_three_decimals(x) : tick_label(x, x_decimals);
    text_at(s, p.x_mm(x), f.bottom + tick_mm + 3, label, tick_pt, Align::centre);
  }
  text_at(s, left_mm, f.top - 3.5, caption, text_pt, Align::left);
  text_at(s, (f.left + f.right) / 2, f.bottom + tick_mm + 8, x_caption, text_pt, Align::centre);
}

void draw_time_plot(Sheet& s, const SpeedResult& r) {
  const std::vector<double>& d = r.deviation_percent;
  double low = 0;
  double high = 0;
  for (const double v : d) {
    low = std::min(low, v);
    high = std::max(high, v);
  }
  const double start = r.deviation_start_s;
  const double end = start + r.deviation_step_s * static_cast<double>(d.size());
  const AxisScale x = radius_axis(start, end > start ? end : start + 1);
  const Plot plot{time_frame, x.low, x.high, false, round_axis(low, high)};
  draw_plot(s, plot, x.ticks, x.decimals, "Speed deviation from nominal (%)", "Time (s)");
  pen(s, 0.3);
  for (std::size_t i = 1; i < d.size(); ++i) {
    const double t0 = start + r.deviation_step_s * (static_cast<double>(i) - 0.5);
    segment(s, plot.frame, plot.x_mm(t0), plot.y_mm(d[i - 1]), plot.x_mm(t0 + r.deviation_step_s),
            plot.y_mm(d[i]));
  }
}

void draw_spectrum_plot(Sheet& s, const SpeedResult& r) {
  // The highest bin of each column, so that a spectrum of any length costs a bounded number
  // of lines and every line still shows at its height.
  std::vector<std::pair<double, double>> columns;
  double high = 0;
  const Plot axis{spectrum_frame, lowest_hz, highest_hz, true, {}};
  for (std::size_t k = 1; k < r.spectrum_percent.size(); ++k) {
    const double hz = static_cast<double>(k) * r.spectrum_step_hz;
    if (hz < lowest_hz || hz > highest_hz) continue;
    const double x = std::floor(axis.x_mm(hz) / column_mm) * column_mm;
    const double v = r.spectrum_percent[k];
    high = std::max(high, v);
    if (!columns.empty() && columns.back().first == x) {
      columns.back().second = std::max(columns.back().second, v);
    } else {
      columns.emplace_back(x, v);
    }
  }
  const Plot plot{spectrum_frame, lowest_hz, highest_hz, true, round_axis(0, high)};
  draw_plot(s, plot, {std::begin(frequency_ticks), std::end(frequency_ticks)}, -1,
            "Spectrum of the deviation (% zero to peak)", "Modulation frequency (Hz)");
  pen(s, 0.3);
  for (std::size_t i = 1; i < columns.size(); ++i)
    segment(s, plot.frame, columns[i - 1].first, plot.y_mm(columns[i - 1].second), columns[i].first,
            plot.y_mm(columns[i].second));
}

}  // namespace

std::vector<PageMark> speed_marks() {
  const auto box = [](const FrameMm& f) { return MarkBox{f.left, f.top, f.right, f.bottom}; };
  return {{"the deviation plot", box(time_frame)}, {"the spectrum plot", box(spectrum_frame)}};
}

void print_speed_page(const SpeedResult& result, std::string_view name, const PrintOpener& open) {
  PrintJob job = PrintJob::open_with_dialog(open);
  if (job.is_open()) {
    job.set_orientation(Orientation::landscape);
    const Resolution dpi = job.dots_per_inch();
    Sheet sheet{job, make_page_scale(dpi, 1, 1), dpi};
    std::string title(speed_page_title);
    if (!name.empty()) title += " \u2013 " + std::string(name);
    sheet.job.select_font(make_print_font("Arial", title_pt, true));
    draw_text_mm(job, sheet.scale, left_mm, 12 - 0.547 * points_to_mm(title_pt), title);
    // The report's lines in two columns.
    const std::string report = speed_report_text(result);
    std::vector<std::string> lines;
    for (std::size_t at = 0, end; (end = report.find('\n', at)) != std::string::npos; at = end + 1)
      lines.push_back(report.substr(at, end - at));
    for (std::size_t i = 0; i < lines.size(); ++i)
      text_at(sheet, left_mm + (i < 4 ? 0 : 128), 19 + 4.5 * static_cast<double>(i % 4), lines[i],
              text_pt, Align::left);
    draw_time_plot(sheet, result);
    draw_spectrum_plot(sheet, result);
  }
  job.close();
}

}  // namespace veltrane
