#include "print/trace_device.h"

#include <string>

#include "model/number_format.h"
#include "print/json_text.h"

namespace veltrane {

namespace {

std::string box_text(DotBox b) {
  return std::to_string(b.x1) + ' ' + std::to_string(b.y1) + ' ' + std::to_string(b.x2) + ' ' +
         std::to_string(b.y2);
}

class TraceDevice final : public PrintDevice {
 public:
  TraceDevice(std::ostream& out, std::string_view document_name, int dpi) : out_(out), dpi_(dpi) {
    out_ << "open " << json_string(document_name) << '\n';
  }

  void set_orientation(Orientation orientation) override { orientation_ = orientation; }

  Resolution dots_per_inch() override {
    out_ << "page " << (orientation_ == Orientation::landscape ? "landscape" : "portrait") << ' '
         << dpi_ << ' ' << dpi_ << '\n';
    return {dpi_, dpi_};
  }

  void set_pen_width(int dots) override { out_ << "pen " << dots << '\n'; }
  void move_to(int x, int y) override { out_ << "move " << x << ' ' << y << '\n'; }
  void line_to(int x, int y) override { out_ << "line " << x << ' ' << y << '\n'; }

  void ellipse(DotBox box, Colour outline, Fill fill) override {
    out_ << "ellipse " << box_text(box) << (outline == Colour::black ? " black" : " white")
         << (fill == Fill::solid ? " solid" : " hollow") << '\n';
  }

  void arc(DotBox box, float start_rad, float end_rad) override {
    out_ << "arc " << box_text(box) << ' ' << shortest_number(start_rad) << ' '
         << shortest_number(end_rad) << '\n';
  }

  void pie(DotBox box, float start_rad, float end_rad) override {
    out_ << "pie " << box_text(box) << ' ' << shortest_number(start_rad) << ' '
         << shortest_number(end_rad) << '\n';
  }

  void select_font(const PrintFont& font) override {
    out_ << "font " << font.face << ' ' << shortest_number(font.size_pt) << ' '
         << (font.italic ? "italic" : "regular") << '\n';
  }

  void print_text(std::string_view utf8) override { out_ << "text " << json_string(utf8) << '\n'; }
  void close() override { out_ << "close\n"; }

 private:
  std::ostream& out_;
  int dpi_;
  Orientation orientation_ = Orientation::portrait;
};

}  // namespace

std::unique_ptr<PrintDevice> make_trace_device(std::ostream& out, std::string_view document_name,
                                               int dpi) {
  return std::make_unique<TraceDevice>(out, document_name, dpi);
}

PrintOpener trace_opener(std::ostream& out, int dpi) {
  return [&out, dpi](std::string_view name) { return make_trace_device(out, name, dpi); };
}

}  // namespace veltrane
