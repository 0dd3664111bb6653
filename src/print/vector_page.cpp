#include "print/vector_page.h"

#include "model/field_reading.h"
#include "model/number_format.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>

namespace veltrane {

DotPath ellipse_curve(PathPoint p, PathPoint q) {
  const EllipseShape e = inscribed_ellipse(p, q);
  return {e.at(0), arc_segments(e, {0, 2 * std::numbers::pi}, vector_curve_tolerance_dots), true};
}

DotPath arc_curve(PathPoint p, PathPoint q, double start_rad, double end_rad) {
  const EllipseShape e = inscribed_ellipse(p, q);
  const ParameterRange range = ray_range(e, start_rad, end_rad);
  return {e.at(range.start), arc_segments(e, range, vector_curve_tolerance_dots), false};
}

DotPath pie_curve(PathPoint p, PathPoint q, double start_rad, double end_rad) {
  const EllipseShape e = inscribed_ellipse(p, q);
  const ParameterRange range = ray_range(e, start_rad, end_rad);
  DotPath path{{e.cx, e.cy}, {{false, {}, {}, e.at(range.start)}}, true};
  for (const PathSegment& s : arc_segments(e, range, vector_curve_tolerance_dots))
    path.segments.push_back(s);
  return path;
}

std::string winansi_text(std::string_view utf8) {
  // The minus sign, which WinAnsi lacks, as the hyphen-minus.
  constexpr std::string_view minus = "\u2212";
  std::string text;
  for (std::size_t i = 0; i < utf8.size();) {
    const bool is_minus = utf8.substr(i, minus.size()) == minus;
    text += is_minus ? '-' : utf8[i];
    i += is_minus ? minus.size() : 1;
  }
  std::string bytes = utf8_to_cp1252(text);
  // Controls, and the five bytes Windows-1252 leaves undefined, draw nothing in a font.
  for (char& c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F || byte == 0x81 || byte == 0x8D || byte == 0x8F ||
        byte == 0x90 || byte == 0x9D)
      c = '?';
  }
  return bytes;
}

std::string number_text(double value) {
  if (!std::isfinite(value)) return "0";
  const std::string text = format_up_to_three_decimals(value);
  return text == "-0" ? "0" : text;
}

namespace {

// The face's vertical metrics in units of 1/2048 em, each realised in whole dots as the
// painting back ends do.
constexpr double ascent_units = 1854, descent_units = 434, leading_units = 67;

long whole_dots(int em, double units) {
  return std::lround(em * units / 2048);
}

PathPoint dot_centre(int x, int y) {
  return {x + 0.5, y + 0.5};
}

class VectorDevice final : public PrintDevice {
 public:
  VectorDevice(std::unique_ptr<VectorCanvas> canvas, const FileTarget& target, std::string& bytes,
               std::string_view title)
      : canvas_(std::move(canvas)),
        target_(target),
        bytes_(bytes),
        title_(title),
        dpi_(target.dpi > 0 ? target.dpi : default_dpi(target.format)) {}

  // The orientation is the page's once it has been measured or drawn on.
  void set_orientation(Orientation orientation) override {
    if (!started_) orientation_ = orientation;
  }

  Resolution dots_per_inch() override {
    started_ = true;
    return {dpi_, dpi_};
  }
  void set_pen_width(int dots) override { pen_ = std::max(dots, 1); }
  void move_to(int x, int y) override { x_ = x, y_ = y; }

  void line_to(int x, int y) override {
    DotPath line{dot_centre(x_, y_), {{false, {}, {}, dot_centre(x, y)}}, false};
    draw(line, {Colour::black, false, pen_});
    x_ = x, y_ = y;
  }

  void ellipse(DotBox box, Colour outline, Fill fill) override {
    draw(ellipse_curve(dot_centre(box.x1, box.y1), dot_centre(box.x2, box.y2)),
         {outline, fill == Fill::solid, pen_});
  }

  void arc(DotBox box, float start_rad, float end_rad) override {
    draw(arc_curve(dot_centre(box.x1, box.y1), dot_centre(box.x2, box.y2), start_rad, end_rad),
         {Colour::black, false, pen_});
  }

  void pie(DotBox box, float start_rad, float end_rad) override {
    draw(pie_curve(dot_centre(box.x1, box.y1), dot_centre(box.x2, box.y2), start_rad, end_rad),
         {Colour::black, true, pen_});
  }

  void select_font(const PrintFont& font) override { font_ = font; }

  void print_text(std::string_view utf8) override {
    const int em = font_em_height_dots(font_.size_pt, dpi_);
    started_ = true;
    if (!closed_)
      canvas_->text({double(x_), double(y_ + whole_dots(em, ascent_units))}, em, font_.italic,
                    utf8);
    // Lines of text run on downward; past the range a page can address they stay there.
    const long spacing = whole_dots(em, ascent_units) + whole_dots(em, descent_units) +
                         whole_dots(em, leading_units);
    x_ = 0;
    y_ = static_cast<int>(std::min<long long>(static_cast<long long>(y_) + spacing, 1LL << 30));
  }

  void close() override {
    if (closed_) return;
    closed_ = true;
    const SheetMm sheet = target_sheet_mm(target_, orientation_);
    const double dots_per_mm = dpi_ / 25.4;
    const double margin_mm =
        std::isfinite(target_.margin_mm) ? std::max(target_.margin_mm, 0.0) : 0;
    bytes_ = canvas_->finish({sheet.width_mm * dots_per_mm, sheet.height_mm * dots_per_mm,
                              sheet.width_mm, sheet.height_mm, margin_mm * dots_per_mm, dpi_},
                             title_);
  }

 private:
  void draw(const DotPath& path, const PathPaint& paint) {
    started_ = true;
    if (!closed_) canvas_->path(path, paint);
  }

  std::unique_ptr<VectorCanvas> canvas_;
  FileTarget target_;
  std::string& bytes_;
  std::string title_;
  int dpi_;
  Orientation orientation_ = Orientation::portrait;
  int pen_ = 1;
  int x_ = 0, y_ = 0;
  PrintFont font_;
  bool started_ = false;
  bool closed_ = false;
};

}  // namespace

std::unique_ptr<PrintDevice> make_vector_device(std::unique_ptr<VectorCanvas> canvas,
                                                const FileTarget& target, std::string& bytes,
                                                std::string_view title) {
  return std::make_unique<VectorDevice>(std::move(canvas), target, bytes, title);
}

}  // namespace veltrane
