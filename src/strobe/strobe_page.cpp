#include "strobe/strobe_page.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "model/field_reading.h"
#include "model/standard_strobes.h"
#include "print/mm_drawing.h"
#include "print/print_job.h"

namespace veltrane {
namespace {

constexpr double centre_x = 104;
constexpr double centre_y = 134;
constexpr long double pi_extended = std::numbers::pi_v<long double>;

// Beyond this count the 3-dot outlines of the wedges close every gap at any resolution up to
// 9600 dpi (the pitch at the outer edge is 3.2 dots there), so the ring prints as a band
// anyway. The cap also bounds the page's work when correction factors blow the scale up.
constexpr std::int32_t max_ring_wedges = 65536;

// One ring of `bars` wedges on the box of `diameter`. A ring whose bar pitch at its outer
// edge is below one device dot cannot show bars at all, and drawing each wedge would take
// time and spool size proportional to the count; it is drawn as the solid band it would
// print as, and so is a ring of more than max_ring_wedges bars.
void draw_ring(PrintJob& job, const PageScale& scale, std::int32_t bars, double diameter) {
  if (bars <= 0) return;
  const double h = diameter / 2;
  const auto x1 = static_cast<float>((centre_x - h) * scale.dots_per_mm_x);
  const auto y1 = static_cast<float>((centre_y - h) * scale.dots_per_mm_y);
  const auto x2 = static_cast<float>((centre_x + h) * scale.dots_per_mm_x);
  const auto y2 = static_cast<float>((centre_y + h) * scale.dots_per_mm_y);
  if (!is_drawable(x1) || !is_drawable(y1) || !is_drawable(x2) || !is_drawable(y2)) return;

  const double smaller_scale =
      std::min(std::fabs(scale.dots_per_mm_x), std::fabs(scale.dots_per_mm_y));
  const double pitch_dots = 2 * std::numbers::pi * h * smaller_scale / bars;
  if (!(pitch_dots >= 1) || bars > max_ring_wedges) {
    job.ellipse(x1, y1, x2, y2, Colour::black, Fill::solid);
    return;
  }
  const long double n = bars;
  for (std::int32_t i = 0; i < bars; ++i) {
    const long double start = 2 * pi_extended * i / n;
    const long double end = pi_extended / n + 2 * pi_extended * i / n;
    job.pie(x1, y1, x2, y2, static_cast<float>(start), static_cast<float>(end));
  }
}

void draw_white_disc(PrintJob& job, const PageScale& scale, double diameter) {
  draw_circle_box(job, scale, centre_x, centre_y, diameter, Colour::white, Fill::solid);
}

}  // namespace

void print_strobe_page(const ParameterSet& set, std::int32_t outer_bars, std::int32_t inner_bars,
                       std::string_view caption_1, std::string_view caption_2,
                       const PrintOpener& open) {
  const PrintFont note_font = make_print_font("Arial", 10 * set.correction_y, false);
  const PrintFont caption_font = make_print_font("Arial", 18 * set.correction_y, false);

  PrintJob job = PrintJob::open_with_dialog(open);
  if (job.is_open()) {
    job.set_orientation(Orientation::portrait);
    const PageScale scale =
        make_page_scale(job.dots_per_inch(), set.correction_x, set.correction_y);
    job.set_pen_width(3);
    draw_circle(job, scale, centre_x, centre_y, 180);
    draw_ring(job, scale, outer_bars, 175);
    draw_white_disc(job, scale, 150);
    draw_ring(job, scale, inner_bars, 145);
    draw_white_disc(job, scale, 135);

    draw_circle(job, scale, centre_x, centre_y, spindle_hole_mm);
    draw_cross(job, scale, centre_x, centre_y, 3);
    draw_spindle_hash(job, scale, centre_x, centre_y, spindle_hole_mm, 3);

    job.set_pen_width(15);
    draw_line_mm(job, scale, centre_x, centre_y, 104, 70);

    job.set_pen_width(1);
    job.select_font(caption_font);
    // A standard pair prints its first caption at this position; a text whose position the
    // device cannot take is left out together with its move.
    const DotPoint first_caption{58 * scale.dots_per_mm_x, 160 * scale.dots_per_mm_y};
    if (is_drawable(first_caption)) job.move_to(first_caption.x, first_caption.y);
    const auto standard_captions = [&](const char* line_1, const char* line_2) {
      if (is_drawable(first_caption)) job.print_text(line_1);
      draw_text_mm(job, scale, 65, 168, line_2);
    };
    const auto is = [&](const StandardStrobe& strobe) {
      return outer_bars == strobe.outer_bars && inner_bars == strobe.inner_bars;
    };
    if (is(strobe_60hz)) {
      standard_captions(strobe_60hz.caption_1, strobe_60hz.caption_2);
    } else if (is(strobe_50hz)) {
      standard_captions(strobe_50hz.caption_1, strobe_50hz.caption_2);
      const DotPoint note{80 * scale.dots_per_mm_x, 175 * scale.dots_per_mm_y};
      if (is_drawable(note)) job.move_to(note.x, note.y);
      job.select_font(note_font);
      if (is_drawable(note)) job.print_text("(must drift CCW 5 bars per 20sec)");
      job.select_font(caption_font);
    } else {
      draw_text_mm(job, scale, 55, 160, cp1252_to_utf8(caption_1));
      draw_text_mm(job, scale, 55, 168, cp1252_to_utf8(caption_2));
    }

    job.select_font(note_font);
    draw_text_mm(job, scale, 109, 85, "Time this mark-");
    draw_text_mm(job, scale, 109, 89, "At 33 1/3 RPM it takes");
    draw_text_mm(job, scale, 109, 93, "180 sec for 100 revolutions.");
    draw_text_mm(job, scale, 109, 97, "Use (1-(actual/target))*100");
    draw_text_mm(job, scale, 109, 101, "for percentage error.");
  }
  job.close();
}

}  // namespace veltrane
