#include "template/template_page.h"

#include <cmath>
#include <string>

#include "model/field_reading.h"
#include "model/geometry.h"
#include "model/number_format.h"
#include "print/mm_drawing.h"
#include "print/print_job.h"

namespace veltrane {
namespace {

constexpr double spindle_x = 43;
constexpr double spindle_y = 20;
constexpr double text_left = 95;

void draw_reference_frame(PrintJob& job, const PageScale& scale) {
  draw_line_mm(job, scale, 1, 1, 1, 206);
  draw_line_mm(job, scale, 1, 1, 206, 1);
  draw_line_mm(job, scale, 0, 181, 5, 181);
  draw_line_mm(job, scale, 0, 201, 5, 201);
  draw_line_mm(job, scale, 0, 101, 5, 101);
  draw_line_mm(job, scale, 201, 0, 201, 5);
  draw_line_mm(job, scale, 101, 0, 101, 5);
  draw_cross(job, scale, 101, 101, 5);
  draw_cross(job, scale, 201, 201, 5);
  draw_cross(job, scale, 201, 181, 5);
}

std::string title_text(const ParameterSet& set) {
  std::string id = cp1252_to_utf8(set.id_text);
  id.erase(id.find_last_not_of(' ') + 1);
  switch (set.alignment) {
    case alignment_lofgren_a:
      return id + " - L\u00F6fgren A";
    case alignment_lofgren_b:
      return id + " - L\u00F6fgren B";
    case alignment_stevenson_a:
      return id + " - Stevenson A";
    default:
      return {};
  }
}

const char* inner_standard_suffix(double radius) {
  if (radius == 57.5) return " (DIN)";
  if (radius == 60.325) return " (IEC)";
  return "";
}

}  // namespace

void print_template_page(const ParameterSet& set, const PrintOpener& open) {
  const PrintFont label_font = make_print_font("Arial", 12 * set.correction_y, false);
  const PrintFont title_font = make_print_font("Arial", 16 * set.correction_y, true);

  PrintJob job = PrintJob::open_with_dialog(open);
  if (job.is_open()) {
    job.set_orientation(Orientation::landscape);
    const PageScale scale =
        make_page_scale(job.dots_per_inch(), set.correction_x, set.correction_y);
    job.set_pen_width(2);
    draw_reference_frame(job, scale);

    const double d = set.pivot_to_spindle;
    const double pivot_x = spindle_x + d;
    const double pivot_y = spindle_y;
    draw_cross(job, scale, pivot_x, pivot_y, 5);
    draw_circle(job, scale, spindle_x, spindle_y, spindle_hole_mm);
    draw_cross(job, scale, spindle_x, spindle_y, 3);
    draw_spindle_hash(job, scale, spindle_x, spindle_y, spindle_hole_mm, 3);
    draw_line_mm(job, scale, spindle_x, spindle_y, pivot_x, pivot_y);
    draw_circle(job, scale, spindle_x, spindle_y, 300);
    draw_arc_degrees(job, scale, pivot_x, pivot_y, set.effective_length, 177, 270);

    const PointMm n1 = intersect_circles(set.inner_null_radius, set.effective_length, d, spindle_x,
                                         spindle_y, pivot_x, pivot_y);
    const PointMm n2 = intersect_circles(set.outer_null_radius, set.effective_length, d, spindle_x,
                                         spindle_y, pivot_x, pivot_y);
    const double theta1 = std::atan((n1.x - spindle_x) / (n1.y - spindle_y));
    const double theta2 = std::atan((n2.x - spindle_x) / (n2.y - spindle_y));
    draw_blank_disc(job, scale, n1.x, n1.y, 4);
    draw_blank_disc(job, scale, n2.x, n2.y, 4);
    draw_null_grid(job, scale, n1.x, n1.y, theta1, spindle_x, spindle_y);
    draw_null_grid(job, scale, n2.x, n2.y, theta2, spindle_x, spindle_y);
    draw_circle(job, scale, n1.x, n1.y, 4);
    draw_circle(job, scale, n2.x, n2.y, 4);

    job.select_font(label_font);
    draw_text_mm(job, scale, 195, 7, "X=200mm");
    draw_text_mm(job, scale, 95, 7, "X=100mm");
    draw_text_mm(job, scale, 7, 178, "Y=180mm");
    draw_text_mm(job, scale, 7, 198, "Y=200mm");
    draw_text_mm(job, scale, 25, 172, "cut here!");
    draw_text_mm(job, scale, 95, 105, "Align cartridge to either grid.");
    draw_text_mm(job, scale, pivot_x - 5, 25, "pivot");

    job.select_font(title_font);
    const std::string title = title_text(set);
    if (!title.empty()) draw_text_mm(job, scale, text_left, 37, title);

    job.select_font(label_font);
    const auto value_line = [&](double y, const char* caption, double value, const char* suffix) {
      draw_text_mm(job, scale, text_left, y, caption + format_three_decimals(value) + suffix);
    };
    value_line(45, "Inner groove radius = ", set.inner_groove_radius,
               inner_standard_suffix(set.inner_groove_radius));
    value_line(50, "Outer groove radius = ", set.outer_groove_radius,
               set.outer_groove_radius == 146.05 ? " (DIN/IEC)" : "");
    value_line(55, "Pivot to spindle distance = ", set.pivot_to_spindle, "");
    value_line(60, "Inner null radius = ", set.inner_null_radius, "");
    value_line(65, "Outer null radius = ", set.outer_null_radius, "");
    value_line(70, "Effective length = ", set.effective_length, "");
    value_line(75, "Overhang = ", set.overhang, "");
    value_line(80, "Offset angle = ", set.offset_angle, "\u00B0");
  }
  job.close();
}

}  // namespace veltrane
