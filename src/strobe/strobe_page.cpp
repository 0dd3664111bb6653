#include "strobe/strobe_page.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <numbers>
#include <string>

#include "model/field_reading.h"
#include "model/standard_strobes.h"
#include "print/mm_drawing.h"
#include "print/print_job.h"
#include "print/text_extent.h"

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

struct StrobeFonts {
  PrintFont note;
  PrintFont caption;
};

// What lies between the disk and its timing note: the captions, drawn with the 1-dot pen in
// the caption font, which they may change.
using DrawCaptions = std::function<void(PrintJob& job, const PageScale& scale, Resolution dpi,
                                        const StrobeFonts& fonts)>;

// The page every strobe disk follows: the disk of `outer_bars` and `inner_bars`, the
// captions, and the timing note with `timing` as its middle lines.
void print_disk(const ParameterSet& set, std::int32_t outer_bars, std::int32_t inner_bars,
                const std::array<std::string, 2>& timing, const DrawCaptions& draw_captions,
                const PrintOpener& open) {
  const StrobeFonts fonts{make_print_font("Arial", 10 * set.correction_y, false),
                          make_print_font("Arial", 18 * set.correction_y, false)};

  PrintJob job = PrintJob::open_with_dialog(open);
  if (job.is_open()) {
    job.set_orientation(Orientation::portrait);
    const Resolution dpi = job.dots_per_inch();
    const PageScale scale = make_page_scale(dpi, set.correction_x, set.correction_y);
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
    job.select_font(fonts.caption);
    draw_captions(job, scale, dpi, fonts);

    job.select_font(fonts.note);
    draw_text_mm(job, scale, 109, 85, "Time this mark-");
    draw_text_mm(job, scale, 109, 89, timing[0]);
    draw_text_mm(job, scale, 109, 93, timing[1]);
    draw_text_mm(job, scale, 109, 97, "Use (1-(actual/target))*100");
    draw_text_mm(job, scale, 109, 101, "for percentage error.");
  }
  job.close();
}

// A line of text centred on the disk's vertical axis, its cell's top at `y` mm.
void draw_centred_text(PrintJob& job, const PageScale& scale, Resolution dpi, const PrintFont& font,
                       double y, std::string_view utf8) {
  const double width_dots = text_width_em(utf8) * font_em_mm(font) / 25.4 * dpi.across;
  draw_text(job, {centre_x * scale.dots_per_mm_x - width_dots / 2, y * scale.dots_per_mm_y}, utf8);
}

// Where the speed page's texts stand: below the spindle, where the inner white disc is
// wide enough for a caption of two rings in the caption font, each caption's cell with its
// drift note's cell beneath.
constexpr double speed_caption_top = 146;
constexpr double speed_caption_pitch = 12.5;
constexpr double speed_drift_below_caption = 7.5;

}  // namespace

void print_strobe_page(const ParameterSet& set, std::int32_t outer_bars, std::int32_t inner_bars,
                       std::string_view caption_1, std::string_view caption_2,
                       const PrintOpener& open) {
  const auto draw_captions = [&](PrintJob& job, const PageScale& scale, Resolution /*dpi*/,
                                 const StrobeFonts& fonts) {
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
      job.select_font(fonts.note);
      if (is_drawable(note)) job.print_text("(must drift CCW 5 bars per 20sec)");
      job.select_font(fonts.caption);
    } else {
      draw_text_mm(job, scale, 55, 160, cp1252_to_utf8(caption_1));
      draw_text_mm(job, scale, 55, 168, cp1252_to_utf8(caption_2));
    }
  };
  print_disk(set, outer_bars, inner_bars,
             {"At 33 1/3 RPM it takes", "180 sec for 100 revolutions."}, draw_captions, open);
}

std::vector<PageMark> strobe_marks(const ParameterSet& set, std::span<const StrobeRing> rings) {
  std::vector<PageMark> marks;
  const auto ring = [&](const char* name, double diameter) {
    MarkExtent extent(set.correction_x, set.correction_y);
    extent.point(centre_x - diameter / 2, centre_y - diameter / 2);
    extent.point(centre_x + diameter / 2, centre_y + diameter / 2);
    if (extent.finite()) marks.push_back({name, extent.box()});
  };
  ring("the outer ring", 180);
  ring("the inner ring", 145);
  const PrintFont note = make_print_font("Arial", 10 * set.correction_y, false);
  const std::array<std::string, 2> timing =
      rings.empty()
          ? std::array<std::string, 2>{"At 33 1/3 RPM it takes", "180 sec for 100 revolutions."}
          : strobe_timing_lines(rings[0].speed_rpm);
  MarkExtent extent(set.correction_x, set.correction_y);
  const std::string_view lines[] = {"Time this mark-", timing[0], timing[1],
                                    "Use (1-(actual/target))*100", "for percentage error."};
  for (std::size_t i = 0; i < std::size(lines); ++i)
    extent.text(109, 85 + 4 * static_cast<double>(i), lines[i], note);
  if (extent.finite()) marks.push_back({"the timing note", extent.box()});
  return marks;
}

void print_strobe_speed_page(const ParameterSet& set, std::span<const StrobeRing> rings,
                             const PrintOpener& open) {
  const std::span<const StrobeRing> shown = rings.first(std::min<std::size_t>(rings.size(), 2));
  const auto draw_captions = [&](PrintJob& job, const PageScale& scale, Resolution dpi,
                                 const StrobeFonts& fonts) {
    const char* const ring_names[] = {"outer: ", "inner: "};
    for (std::size_t i = 0; i < shown.size(); ++i) {
      const double top = speed_caption_top + static_cast<double>(i) * speed_caption_pitch;
      const std::string caption =
          (shown.size() > 1 ? ring_names[i] : "") + strobe_caption(shown[i]);
      job.select_font(fonts.caption);
      draw_centred_text(job, scale, dpi, fonts.caption, top, caption);
      if (const auto drift = strobe_drift_text(shown[i])) {
        job.select_font(fonts.note);
        draw_centred_text(job, scale, dpi, fonts.note, top + speed_drift_below_caption,
                          "(" + *drift + ")");
      }
    }
  };
  const std::int32_t outer_bars = shown.empty() ? 0 : shown[0].bars;
  const std::int32_t inner_bars = shown.size() < 2 ? 0 : shown[1].bars;
  print_disk(set, outer_bars, inner_bars,
             shown.empty() ? std::array<std::string, 2>{"At 33 1/3 RPM it takes",
                                                        "180 sec for 100 revolutions."}
                           : strobe_timing_lines(shown[0].speed_rpm),
             draw_captions, open);
}

}  // namespace veltrane
