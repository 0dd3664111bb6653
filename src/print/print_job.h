#pragma once

#include <memory>
#include <string_view>

#include "print/print_device.h"

namespace veltrane {

/// Dots per millimetre for each axis, correction factors folded in.
struct PageScale {
  double dots_per_mm_x = 0;
  double dots_per_mm_y = 0;
};

PageScale make_page_scale(Resolution dpi, double correction_x, double correction_y);

/// A coordinate the device can take: finite and within +-2^30 dots. Anything else would
/// be undefined when rounded to an integer, or useless to a printer.
bool is_drawable(double dots);

/// A point in device dots before rounding.
struct DotPoint {
  double x = 0;
  double y = 0;
};

/// One printed page on an opened device. Rounds coordinates to the nearest dot (ties to
/// even) and passes boxes and angles in single precision. A job that never opened ignores
/// every call. Operations with coordinates that are not drawable are dropped; pages use
/// the whole-shape helpers below so that a shape is left out entirely.
class PrintJob {
 public:
  static PrintJob open_with_dialog(const PrintOpener& opener);

  bool is_open() const { return device_ != nullptr; }
  void set_orientation(Orientation orientation);
  Resolution dots_per_inch();
  void set_pen_width(int dots);
  void move_to(double x, double y);
  void line_to(double x, double y);
  void ellipse(float x1, float y1, float x2, float y2, Colour outline, Fill fill);
  void arc(float x1, float y1, float x2, float y2, float start_rad, float end_rad);
  void pie(float x1, float y1, float x2, float y2, float start_rad, float end_rad);
  void select_font(const PrintFont& font);
  void print_text(std::string_view utf8);
  void close();

 private:
  explicit PrintJob(std::unique_ptr<PrintDevice> device) : device_(std::move(device)) {}
  std::unique_ptr<PrintDevice> device_;
};

inline bool is_drawable(DotPoint p) {
  return is_drawable(p.x) && is_drawable(p.y);
}

/// A straight line: move_to + line_to, or nothing when any coordinate is not drawable.
void draw_line(PrintJob& job, DotPoint from, DotPoint to);

/// A text at a position: move_to + print_text, or nothing when the position is not drawable.
void draw_text(PrintJob& job, DotPoint at, std::string_view utf8);

/// A font of the given face (cut to 31 characters), size and style.
PrintFont make_print_font(std::string_view face, double size_pt, bool italic);

}  // namespace veltrane
