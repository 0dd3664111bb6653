#include "print/mm_drawing.h"

#include <cmath>
#include <cstddef>
#include <numbers>

namespace veltrane {

void draw_line_mm(PrintJob& job, const PageScale& scale, double x1, double y1, double x2,
                  double y2) {
  draw_line(job, {x1 * scale.dots_per_mm_x, y1 * scale.dots_per_mm_y},
            {x2 * scale.dots_per_mm_x, y2 * scale.dots_per_mm_y});
}

void draw_text_mm(PrintJob& job, const PageScale& scale, double x, double y,
                  std::string_view utf8) {
  draw_text(job, {x * scale.dots_per_mm_x, y * scale.dots_per_mm_y}, utf8);
}

void draw_circle_box(PrintJob& job, const PageScale& scale, double x, double y, double diameter,
                     Colour outline, Fill fill) {
  const double h = diameter / 2;
  job.ellipse(static_cast<float>((x - h) * scale.dots_per_mm_x),
              static_cast<float>((y - h) * scale.dots_per_mm_y),
              static_cast<float>((x + h) * scale.dots_per_mm_x),
              static_cast<float>((y + h) * scale.dots_per_mm_y), outline, fill);
}

void draw_cross(PrintJob& job, const PageScale& scale, double x, double y, double size) {
  const double h = size / 2;
  draw_line_mm(job, scale, x, y + h, x, y - h);
  draw_line_mm(job, scale, x + h, y, x - h, y);
}

void draw_spindle_hash(PrintJob& job, const PageScale& scale, double x, double y, double side,
                       double extension) {
  const double h = side / 2;
  const double e = extension;
  draw_line_mm(job, scale, x - h, y - h - e, x - h, y + h + e);
  draw_line_mm(job, scale, x + h, y - h - e, x + h, y + h + e);
  draw_line_mm(job, scale, x - h - e, y - h, x + h + e, y - h);
  draw_line_mm(job, scale, x - h - e, y + h, x + h + e, y + h);
}

void draw_circle(PrintJob& job, const PageScale& scale, double x, double y, double diameter) {
  draw_circle_box(job, scale, x, y, diameter, Colour::black, Fill::hollow);
}

void draw_blank_disc(PrintJob& job, const PageScale& scale, double x, double y, double diameter) {
  draw_circle_box(job, scale, x, y, diameter, Colour::white, Fill::solid);
}

void draw_arc_degrees(PrintJob& job, const PageScale& scale, double x, double y, double radius,
                      double start_deg, double end_deg) {
  const double start = start_deg * std::numbers::pi / 180;
  const double end = end_deg * std::numbers::pi / 180;
  job.arc(static_cast<float>((x - radius) * scale.dots_per_mm_x),
          static_cast<float>((y - radius) * scale.dots_per_mm_y),
          static_cast<float>((x + radius) * scale.dots_per_mm_x),
          static_cast<float>((y + radius) * scale.dots_per_mm_y), static_cast<float>(start),
          static_cast<float>(end));
}

std::array<SegmentMm, null_grid_line_count> null_grid_lines(double xn, double yn, double theta_rad,
                                                            double spindle_x, double spindle_y) {
  const double c = std::cos(theta_rad);
  const double s = std::sin(theta_rad);
  std::array<SegmentMm, null_grid_line_count> lines;
  std::size_t next = 0;
  const auto grid_line = [&](double u1, double v1, double u2, double v2) {
    lines[next++] = {xn + u1 * c + v1 * s, yn + v1 * c - u1 * s, xn + u2 * c + v2 * s,
                     yn + v2 * c - u2 * s};
  };
  for (double v : {-8.0, -6.0, -4.0, -2.0}) grid_line(-30, v, 30, v);
  for (double v : {2.0, 4.0, 6.0, 8.0}) grid_line(-30, v, 30, v);
  const double u = 0;
  const double v = 8;
  lines[next++] = {spindle_x, spindle_y, xn + u * c + v * s, yn + v * c - u * s};
  for (double w : {-0.4, 0.0, 0.4}) grid_line(-30, w, 30, w);
  for (double w : {-9.0, -7.0, -5.0, -3.0}) grid_line(w, -20, w, 20);
  return lines;
}

void draw_null_grid(PrintJob& job, const PageScale& scale, double xn, double yn, double theta_rad,
                    double spindle_x, double spindle_y) {
  for (const SegmentMm& line : null_grid_lines(xn, yn, theta_rad, spindle_x, spindle_y))
    draw_line_mm(job, scale, line.x1, line.y1, line.x2, line.y2);
}

}  // namespace veltrane
