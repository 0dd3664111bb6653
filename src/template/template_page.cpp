#include "template/template_page.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <span>
#include <string>

#include "model/alignments.h"
#include "model/field_reading.h"
#include "model/geometry.h"
#include "model/number_format.h"
#include "print/mm_drawing.h"
#include "print/print_job.h"
#include "print/text_extent.h"

namespace veltrane {
namespace {

constexpr double spindle_x = 43;
constexpr double spindle_y = 20;
constexpr double text_left = 95;
constexpr double label_pt = 12;
constexpr double title_pt = 16;

// The reference frame, each piece under the name a message gives it.
struct FrameLine {
  const char* mark;
  double x1, y1, x2, y2;
};
constexpr std::array<FrameLine, 7> frame_lines = {{
    {"the left reference line", 1, 1, 1, 206},
    {"the top reference line", 1, 1, 206, 1},
    {"the Y=180mm tick", 0, 181, 5, 181},
    {"the Y=200mm tick", 0, 201, 5, 201},
    {"the Y=100mm tick", 0, 101, 5, 101},
    {"the X=200mm tick", 201, 0, 201, 5},
    {"the X=100mm tick", 101, 0, 101, 5},
}};
struct FrameCross {
  const char* mark;
  double x, y;
};
constexpr double frame_cross_mm = 5;
// What a user needs of the frame: the reference lines up to the farthest ticks (the lines
// run on 5 mm past them), and of each cross its centre with a little of every arm.
constexpr double frame_measured_to_mm = 201;
constexpr double frame_cross_needed_mm = 2;
constexpr std::array<FrameCross, 3> frame_crosses = {{
    {"the X=100mm Y=100mm cross", 101, 101},
    {"the X=200mm Y=200mm cross", 201, 201},
    {"the X=200mm Y=180mm cross", 201, 181},
}};

constexpr double pivot_cross_mm = 5;
constexpr double pivot_label_dx = -5;  // "pivot" stands below the cross, a little to its left
constexpr double pivot_label_y = 25;
constexpr const char* pivot_label = "pivot";

// Where the anchor points and the null points of a parameter set fall on the page.
struct Layout {
  double pivot_x = 0;
  double pivot_y = 0;
  PointMm n1, n2;
  double theta1 = 0;
  double theta2 = 0;
};

Layout layout_of(const ParameterSet& set) {
  Layout layout;
  const double d = set.pivot_to_spindle;
  layout.pivot_x = spindle_x + d;
  layout.pivot_y = spindle_y;
  layout.n1 = intersect_circles(set.inner_null_radius, set.effective_length, d, spindle_x,
                                spindle_y, layout.pivot_x, layout.pivot_y);
  layout.n2 = intersect_circles(set.outer_null_radius, set.effective_length, d, spindle_x,
                                spindle_y, layout.pivot_x, layout.pivot_y);
  layout.theta1 = std::atan((layout.n1.x - spindle_x) / (layout.n1.y - spindle_y));
  layout.theta2 = std::atan((layout.n2.x - spindle_x) / (layout.n2.y - spindle_y));
  return layout;
}

void draw_reference_frame(PrintJob& job, const PageScale& scale) {
  for (const FrameLine& line : frame_lines)
    draw_line_mm(job, scale, line.x1, line.y1, line.x2, line.y2);
  for (const FrameCross& cross : frame_crosses)
    draw_cross(job, scale, cross.x, cross.y, frame_cross_mm);
}

std::string title_text(const ParameterSet& set) {
  std::string id = cp1252_to_utf8(set.id_text);
  id.erase(id.find_last_not_of(' ') + 1);
  const std::string_view name = alignment_name(set.alignment);
  return name.empty() ? std::string() : id + " - " + std::string(name);
}

const char* inner_standard_suffix(double radius) {
  if (radius == 57.5) return " (DIN)";
  if (radius == 60.325) return " (IEC)";
  return "";
}

struct ValueLine {
  double y;
  std::string text;
};

std::array<ValueLine, 8> value_lines(const ParameterSet& set) {
  const auto line = [](double y, const char* caption, double value, const char* suffix) {
    return ValueLine{y, caption + format_three_decimals(value) + suffix};
  };
  return {
      line(45, "Inner groove radius = ", set.inner_groove_radius,
           inner_standard_suffix(set.inner_groove_radius)),
      line(50, "Outer groove radius = ", set.outer_groove_radius,
           set.outer_groove_radius == 146.05 ? " (DIN/IEC)" : ""),
      line(55, "Pivot to spindle distance = ", set.pivot_to_spindle, ""),
      line(60, "Inner null radius = ", set.inner_null_radius, ""),
      line(65, "Outer null radius = ", set.outer_null_radius, ""),
      line(70, "Effective length = ", set.effective_length, ""),
      line(75, "Overhang = ", set.overhang, ""),
      line(80, "Offset angle = ", set.offset_angle, "\u00B0"),
  };
}

PrintFont label_font_for(const ParameterSet& set) {
  return make_print_font("Arial", label_pt * set.correction_y, false);
}

}  // namespace

std::vector<TemplateMark> template_marks(const ParameterSet& set) {
  std::vector<TemplateMark> marks;
  const auto add = [&](const char* name, const MarkExtent& extent) {
    if (extent.finite()) marks.push_back({name, extent.box()});
  };
  const auto new_extent = [&] { return MarkExtent(set.correction_x, set.correction_y); };
  const auto segments_extent = [&](std::span<const SegmentMm> lines) {
    MarkExtent extent = new_extent();
    for (const SegmentMm& line : lines) {
      extent.point(line.x1, line.y1);
      extent.point(line.x2, line.y2);
    }
    return extent;
  };
  const auto cross_extent = [&](double x, double y, double size) {
    MarkExtent extent = new_extent();
    extent.point(x - size / 2, y - size / 2);
    extent.point(x + size / 2, y + size / 2);
    return extent;
  };

  for (const FrameLine& line : frame_lines) {
    const SegmentMm segment{line.x1, line.y1, std::min(line.x2, frame_measured_to_mm),
                            std::min(line.y2, frame_measured_to_mm)};
    add(line.mark, segments_extent({&segment, 1}));
  }
  for (const FrameCross& cross : frame_crosses)
    add(cross.mark, cross_extent(cross.x, cross.y, frame_cross_needed_mm));

  const Layout layout = layout_of(set);
  add("the pivot cross", cross_extent(layout.pivot_x, layout.pivot_y, pivot_cross_mm));
  const PrintFont label_font = label_font_for(set);
  MarkExtent label = new_extent();
  label.text(layout.pivot_x + pivot_label_dx, pivot_label_y, pivot_label, label_font);
  add("the pivot label", label);

  add("the inner null grid", segments_extent(null_grid_lines(layout.n1.x, layout.n1.y,
                                                             layout.theta1, spindle_x, spindle_y)));
  add("the outer null grid", segments_extent(null_grid_lines(layout.n2.x, layout.n2.y,
                                                             layout.theta2, spindle_x, spindle_y)));

  MarkExtent values = new_extent();
  for (const ValueLine& line : value_lines(set))
    values.text(text_left, line.y, line.text, label_font);
  add("the value lines", values);
  return marks;
}

void print_template_page(const ParameterSet& set, const PrintOpener& open) {
  const PrintFont label_font = label_font_for(set);
  const PrintFont title_font = make_print_font("Arial", title_pt * set.correction_y, true);

  PrintJob job = PrintJob::open_with_dialog(open);
  if (job.is_open()) {
    job.set_orientation(template_orientation);
    const PageScale scale =
        make_page_scale(job.dots_per_inch(), set.correction_x, set.correction_y);
    job.set_pen_width(2);
    draw_reference_frame(job, scale);

    const Layout layout = layout_of(set);
    const double pivot_x = layout.pivot_x;
    const double pivot_y = layout.pivot_y;
    draw_cross(job, scale, pivot_x, pivot_y, pivot_cross_mm);
    draw_circle(job, scale, spindle_x, spindle_y, spindle_hole_mm);
    draw_cross(job, scale, spindle_x, spindle_y, 3);
    draw_spindle_hash(job, scale, spindle_x, spindle_y, spindle_hole_mm, 3);
    draw_line_mm(job, scale, spindle_x, spindle_y, pivot_x, pivot_y);
    draw_circle(job, scale, spindle_x, spindle_y, 300);
    draw_arc_degrees(job, scale, pivot_x, pivot_y, set.effective_length, 177, 270);

    const PointMm n1 = layout.n1;
    const PointMm n2 = layout.n2;
    draw_blank_disc(job, scale, n1.x, n1.y, 4);
    draw_blank_disc(job, scale, n2.x, n2.y, 4);
    draw_null_grid(job, scale, n1.x, n1.y, layout.theta1, spindle_x, spindle_y);
    draw_null_grid(job, scale, n2.x, n2.y, layout.theta2, spindle_x, spindle_y);
    draw_circle(job, scale, n1.x, n1.y, 4);
    draw_circle(job, scale, n2.x, n2.y, 4);

    job.select_font(label_font);
    draw_text_mm(job, scale, 195, 7, "X=200mm");
    draw_text_mm(job, scale, 95, 7, "X=100mm");
    draw_text_mm(job, scale, 7, 178, "Y=180mm");
    draw_text_mm(job, scale, 7, 198, "Y=200mm");
    draw_text_mm(job, scale, 25, 172, "cut here!");
    draw_text_mm(job, scale, 95, 105, "Align cartridge to either grid.");
    draw_text_mm(job, scale, pivot_x + pivot_label_dx, pivot_label_y, pivot_label);

    job.select_font(title_font);
    const std::string title = title_text(set);
    if (!title.empty()) draw_text_mm(job, scale, text_left, 37, title);

    job.select_font(label_font);
    for (const ValueLine& line : value_lines(set))
      draw_text_mm(job, scale, text_left, line.y, line.text);
  }
  job.close();
}

}  // namespace veltrane
