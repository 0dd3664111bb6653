#include "print/print_job.h"

#include <cmath>
#include <limits>

namespace veltrane {
namespace {

constexpr double max_device_dots = 1073741824.0;  // 2^30

// Pages narrow their boxes to float before they are judged here; only IEEE floats turn a
// double beyond their range into an infinity, which is_drawable then rejects.
static_assert(std::numeric_limits<float>::is_iec559);

int round_dots(double v) {
  return static_cast<int>(std::nearbyint(v));
}

bool box_drawable(float x1, float y1, float x2, float y2) {
  return is_drawable(x1) && is_drawable(y1) && is_drawable(x2) && is_drawable(y2);
}

DotBox round_box(float x1, float y1, float x2, float y2) {
  return {static_cast<int>(std::nearbyint(x1)), static_cast<int>(std::nearbyint(y1)),
          static_cast<int>(std::nearbyint(x2)), static_cast<int>(std::nearbyint(y2))};
}

}  // namespace

PageScale make_page_scale(Resolution dpi, double correction_x, double correction_y) {
  return {dpi.across * correction_x / 25.4, dpi.down * correction_y / 25.4};
}

bool is_drawable(double dots) {
  return std::fabs(dots) <= max_device_dots;
}

int font_em_height_dots(float size_pt, int dpi_down) {
  double points = size_pt;
  if (!(points > 0 && points <= 1000)) points = 8;
  const double em = std::nearbyint(points * dpi_down / 72);
  if (!(em >= 1)) return 1;
  return em > max_device_dots ? static_cast<int>(max_device_dots) : static_cast<int>(em);
}

PrintJob PrintJob::open_with_dialog(const PrintOpener& opener) {
  return PrintJob(opener ? opener(print_document_name) : nullptr);
}

void PrintJob::set_orientation(Orientation orientation) {
  if (device_) device_->set_orientation(orientation);
}

Resolution PrintJob::dots_per_inch() {
  return device_ ? device_->dots_per_inch() : Resolution{};
}

void PrintJob::set_pen_width(int dots) {
  if (device_) device_->set_pen_width(dots);
}

void PrintJob::move_to(double x, double y) {
  if (device_ && is_drawable(x) && is_drawable(y)) device_->move_to(round_dots(x), round_dots(y));
}

void PrintJob::line_to(double x, double y) {
  if (device_ && is_drawable(x) && is_drawable(y)) device_->line_to(round_dots(x), round_dots(y));
}

void PrintJob::ellipse(float x1, float y1, float x2, float y2, Colour outline, Fill fill) {
  if (device_ && box_drawable(x1, y1, x2, y2))
    device_->ellipse(round_box(x1, y1, x2, y2), outline, fill);
}

void PrintJob::arc(float x1, float y1, float x2, float y2, float start_rad, float end_rad) {
  if (device_ && box_drawable(x1, y1, x2, y2) && std::isfinite(start_rad) && std::isfinite(end_rad))
    device_->arc(round_box(x1, y1, x2, y2), start_rad, end_rad);
}

void PrintJob::pie(float x1, float y1, float x2, float y2, float start_rad, float end_rad) {
  if (device_ && box_drawable(x1, y1, x2, y2) && std::isfinite(start_rad) && std::isfinite(end_rad))
    device_->pie(round_box(x1, y1, x2, y2), start_rad, end_rad);
}

void PrintJob::select_font(const PrintFont& font) {
  if (device_) device_->select_font(font);
}

void PrintJob::print_text(std::string_view utf8) {
  if (device_ && !utf8.empty()) device_->print_text(utf8);
}

void PrintJob::close() {
  if (device_) device_->close();
  device_.reset();
}

void draw_line(PrintJob& job, DotPoint from, DotPoint to) {
  if (!is_drawable(from) || !is_drawable(to)) return;
  job.move_to(from.x, from.y);
  job.line_to(to.x, to.y);
}

void draw_text(PrintJob& job, DotPoint at, std::string_view utf8) {
  if (!is_drawable(at)) return;
  job.move_to(at.x, at.y);
  job.print_text(utf8);
}

PrintFont make_print_font(std::string_view face, double size_pt, bool italic) {
  return {std::string(face.substr(0, 31)), static_cast<float>(size_pt), italic};
}

}  // namespace veltrane
