#pragma once

#include <array>
#include <cstddef>

#include "print/print_job.h"

namespace veltrane {

/// The spindle hole of a record, 0.282 in across, as both pages draw it.
inline constexpr double spindle_hole_mm = 7.1628;

// Template shapes in page millimetres; each scales x by dots_per_mm_x and y by
// dots_per_mm_y of `scale` and leaves out a shape whose coordinates are not drawable.

void draw_cross(PrintJob& job, const PageScale& scale, double x, double y, double size);
void draw_spindle_hash(PrintJob& job, const PageScale& scale, double x, double y, double side,
                       double extension);
void draw_circle(PrintJob& job, const PageScale& scale, double x, double y, double diameter);
void draw_blank_disc(PrintJob& job, const PageScale& scale, double x, double y, double diameter);
void draw_arc_degrees(PrintJob& job, const PageScale& scale, double x, double y, double radius,
                      double start_deg, double end_deg);
/// A straight line between two page points, in millimetres.
struct SegmentMm {
  double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};

inline constexpr std::size_t null_grid_line_count = 16;

/// The lines of the null grid in page millimetres, in the order draw_null_grid draws them:
/// eleven along the groove, the radius line from the spindle centre, four radial ones.
std::array<SegmentMm, null_grid_line_count> null_grid_lines(double xn, double yn, double theta_rad,
                                                            double spindle_x, double spindle_y);
/// The rotated grid at a null point, with its radius line from the spindle centre.
void draw_null_grid(PrintJob& job, const PageScale& scale, double xn, double yn, double theta_rad,
                    double spindle_x, double spindle_y);

/// A line between two page points.
void draw_line_mm(PrintJob& job, const PageScale& scale, double x1, double y1, double x2,
                  double y2);
/// A text whose cell's top-left corner stands at a page point.
void draw_text_mm(PrintJob& job, const PageScale& scale, double x, double y, std::string_view utf8);
/// An ellipse in the box of a circle of `diameter` around a page point.
void draw_circle_box(PrintJob& job, const PageScale& scale, double x, double y, double diameter,
                     Colour outline, Fill fill);

}  // namespace veltrane
