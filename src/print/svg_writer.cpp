#include "print/svg_writer.h"

#include <algorithm>

#include "model/field_reading.h"
#include "print/vector_page.h"

namespace veltrane {
namespace {

std::string point_text(PathPoint p) {
  return number_text(p.x) + ' ' + number_text(p.y);
}

// Text for XML character data or attributes, with the characters a PDF of the page shows:
// markup characters escaped.
std::string xml_text(std::string_view utf8) {
  std::string out;
  for (char c : cp1252_to_utf8(winansi_text(utf8))) {
    switch (c) {
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '&':
        out += "&amp;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

const char* colour_text(Colour colour) {
  return colour == Colour::black ? "#000" : "#fff";
}

class SvgCanvas final : public VectorCanvas {
 public:
  void path(const DotPath& path, const PathPaint& paint) override {
    body_ += "<path d=\"M" + point_text(path.start);
    for (const PathSegment& s : path.segments) {
      if (s.curve)
        body_ += "C" + point_text(s.c1) + ' ' + point_text(s.c2) + ' ' + point_text(s.to);
      else
        body_ += "L" + point_text(s.to);
    }
    if (path.closed) body_ += 'Z';
    body_ += '"';
    // The group's defaults are a black outline and no fill.
    if (paint.filled) body_ += std::string(" fill=\"") + colour_text(paint.colour) + '"';
    if (paint.colour != Colour::black)
      body_ += std::string(" stroke=\"") + colour_text(paint.colour) + '"';
    if (paint.pen_dots != 1) body_ += " stroke-width=\"" + std::to_string(paint.pen_dots) + '"';
    body_ += "/>\n";
  }

  void text(PathPoint baseline, int em_dots, bool italic, std::string_view utf8) override {
    body_ += "<text x=\"" + number_text(baseline.x) + "\" y=\"" + number_text(baseline.y) +
             "\" font-size=\"" + std::to_string(em_dots) + '"' +
             (italic ? " font-style=\"italic\"" : "") + R"( fill="#000" stroke="none">)" +
             xml_text(utf8) + "</text>\n";
  }

  std::string finish(const VectorSheet& sheet, std::string_view title) override {
    // The sheet in millimetres with a view box in dots: one dot is 25.4 / dpi mm however the
    // document is shown. Texts keep their spaces, a leading one included, as on the other
    // back ends.
    // As on a printer that cannot print the margin, the page is cut off where it begins.
    const double m = sheet.margin_dots;
    const bool clipped = m > 0;
    const auto attribute = [](std::string_view name, double value) {
      return ' ' + std::string(name) + R"(=")" + number_text(value) + '"';
    };
    const std::string clip =
        clipped
            ? R"(<defs><clipPath id="printable-area"><rect)" + attribute("x", m) +
                  attribute("y", m) + attribute("width", std::max(sheet.width_dots - 2 * m, 0.0)) +
                  attribute("height", std::max(sheet.height_dots - 2 * m, 0.0)) +
                  "/></clipPath></defs>\n" + R"svg(<g clip-path="url(#printable-area)">)svg" + '\n'
            : std::string();
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"" +
           number_text(sheet.width_mm) + "mm\" height=\"" + number_text(sheet.height_mm) +
           "mm\" viewBox=\"0 0 " + number_text(sheet.width_dots) + ' ' +
           number_text(sheet.height_dots) + "\">\n<title>" + xml_text(title) + "</title>\n" + clip +
           "<g transform=\"translate(" + number_text(sheet.margin_dots) + ' ' +
           number_text(sheet.margin_dots) +
           ")\" fill=\"none\" stroke=\"#000\" stroke-linecap=\"round\" "
           "stroke-linejoin=\"round\" font-family=\"Arial, Helvetica, sans-serif\" "
           "xml:space=\"preserve\">\n" +
           body_ + "</g>\n" + (clipped ? "</g>\n" : "") + "</svg>\n";
  }

 private:
  std::string body_;
};

}  // namespace

std::unique_ptr<PrintDevice> make_svg_device(const FileTarget& target, std::string& bytes,
                                             std::string_view title) {
  return make_vector_device(std::make_unique<SvgCanvas>(), target, bytes, title);
}

}  // namespace veltrane
