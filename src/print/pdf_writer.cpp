#include "print/pdf_writer.h"

#include <algorithm>

#if defined(VELTRANE_HAVE_ZLIB)
#include <zlib.h>
#endif

#include <cstdio>
#include <vector>

#include "model/field_reading.h"
#include "print/vector_page.h"

namespace veltrane {
namespace {

std::string point_text(PathPoint p) {
  return number_text(p.x) + ' ' + number_text(p.y);
}

// A PDF literal string of bytes: the delimiters and the backslash escaped, bytes outside
// printable ASCII in octal so that the file stays text where it can.
std::string literal_string(std::string_view bytes) {
  std::string out = "(";
  for (char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '(' || c == ')' || c == '\\') {
      out += '\\';
      out += c;
    } else if (byte < 0x20 || byte >= 0x7F) {
      char octal[8];
      std::snprintf(octal, sizeof octal, "\\%03o", byte);
      out += octal;
    } else {
      out += c;
    }
  }
  return out + ')';
}

// A text string in UTF-16BE with its byte order mark, which every reader takes for a title;
// its characters are those the page's texts can show.
std::string utf16_hex_string(std::string_view utf8) {
  const std::string shown = cp1252_to_utf8(winansi_text(utf8));  // at most three bytes each
  std::string out = "<FEFF";
  for (std::size_t i = 0; i < shown.size(); ++i) {
    const auto byte = static_cast<unsigned char>(shown[i]);
    const int extra = byte < 0x80 ? 0 : byte < 0xE0 ? 1 : 2;
    unsigned unit = extra == 0 ? byte : byte & (extra == 1 ? 0x1F : 0x0F);
    for (int k = 0; k < extra; ++k)
      unit = unit << 6 | (static_cast<unsigned char>(shown[++i]) & 0x3F);
    char hex[8];
    std::snprintf(hex, sizeof hex, "%04X", unit);
    out += hex;
  }
  return out + '>';
}

// One of the standard fonts every reader has, so none is embedded.
std::string font_dictionary(std::string_view name) {
  return "<< /Type /Font /Subtype /Type1 /BaseFont /" + std::string(name) +
         " /Encoding /WinAnsiEncoding >>";
}

// The content stream's dictionary entries after /Length, and the stream itself.
struct Stream {
  std::string filter;
  std::string data;
};

Stream compressed(std::string content) {
#if defined(VELTRANE_HAVE_ZLIB)
  uLongf size = compressBound(static_cast<uLong>(content.size()));
  std::string packed(size, '\0');
  if (compress2(reinterpret_cast<Bytef*>(packed.data()), &size,
                reinterpret_cast<const Bytef*>(content.data()), static_cast<uLong>(content.size()),
                Z_BEST_COMPRESSION) == Z_OK) {
    packed.resize(size);
    return {" /Filter /FlateDecode", std::move(packed)};
  }
#endif
  return {"", std::move(content)};
}

class PdfCanvas final : public VectorCanvas {
 public:
  void path(const DotPath& path, const PathPaint& paint) override {
    if (paint.pen_dots != pen_) {
      pen_ = paint.pen_dots;
      content_ += std::to_string(pen_) + " w\n";
    }
    use_colour(paint.colour);
    content_ += point_text(path.start) + " m\n";
    for (const PathSegment& s : path.segments) {
      if (s.curve)
        content_ += point_text(s.c1) + ' ' + point_text(s.c2) + ' ' + point_text(s.to) + " c\n";
      else
        content_ += point_text(s.to) + " l\n";
    }
    if (path.closed) content_ += "h\n";
    content_ += paint.filled ? "B\n" : "S\n";
  }

  void text(PathPoint baseline, int em_dots, bool italic, std::string_view utf8) override {
    use_colour(Colour::black);
    const std::string bytes = winansi_text(utf8);
    // The page's y grows downward; the text matrix turns the glyphs upright again.
    const std::string em = std::to_string(em_dots);
    content_ += "BT /F" + std::string(italic ? "2" : "1") + " 1 Tf " + em + " 0 0 -" + em + ' ' +
                point_text(baseline) + " Tm " + literal_string(bytes) + " Tj ET\n";
  }

  std::string finish(const VectorSheet& sheet, std::string_view title) override {
    const double points_per_dot = 72.0 / sheet.dpi;
    const double width_pt = sheet.width_mm / 25.4 * 72, height_pt = sheet.height_mm / 25.4 * 72;
    // Dots from the printable area's corner, y downward, to points from the sheet's
    // bottom-left corner, y upward; pens are round as on the other back ends.
    // As on a printer that cannot print the margin, the page is cut off where it begins.
    const double m = sheet.margin_dots;
    const std::string clip =
        m > 0 ? number_text(m) + ' ' + number_text(m) + ' ' +
                    number_text(std::max(sheet.width_dots - 2 * m, 0.0)) + ' ' +
                    number_text(std::max(sheet.height_dots - 2 * m, 0.0)) + " re W n "
              : std::string();
    const std::string page_dots = number_text(points_per_dot) + " 0 0 " +
                                  number_text(-points_per_dot) + " 0 " + number_text(height_pt) +
                                  " cm " + clip + "1 0 0 1 " + number_text(m) + ' ' +
                                  number_text(m) + " cm 1 J 1 j\n";
    const Stream stream = compressed("q " + page_dots + content_ + "Q\n");

    const std::vector<std::string> objects = {
        "<< /Type /Catalog /Pages 2 0 R /ViewerPreferences << /PrintScaling /None >> >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 " + number_text(width_pt) + ' ' +
            number_text(height_pt) +
            "] /Resources << /Font << /F1 5 0 R /F2 6 0 R >> >> /Contents 4 0 R >>",
        "<< /Length " + std::to_string(stream.data.size()) + stream.filter + " >>\nstream\n" +
            stream.data + "\nendstream",
        font_dictionary("Helvetica"),
        font_dictionary("Helvetica-Oblique"),
        "<< /Title " + utf16_hex_string(title) + " /Creator (Veltrane) /Producer (Veltrane) >>",
    };
    // A binary comment after the header marks the file as binary for transfer programs.
    std::string pdf = "%PDF-1.6\n%\xE2\xE3\xCF\xD3\n";
    std::vector<std::size_t> offsets;
    for (std::size_t i = 0; i < objects.size(); ++i) {
      offsets.push_back(pdf.size());
      pdf += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const std::size_t xref = pdf.size();
    pdf += "xref\n0 " + std::to_string(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (std::size_t offset : offsets) {
      char entry[24];
      std::snprintf(entry, sizeof entry, "%010zu 00000 n \n", offset);
      pdf += entry;
    }
    pdf += "trailer\n<< /Size " + std::to_string(objects.size() + 1) +
           " /Root 1 0 R /Info 7 0 R >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
    return pdf;
  }

 private:
  void use_colour(Colour colour) {
    if (colour_set_ && colour == colour_) return;
    colour_ = colour;
    colour_set_ = true;
    content_ += colour == Colour::black ? "0 g 0 G\n" : "1 g 1 G\n";
  }

  std::string content_;
  int pen_ = 1;  // PDF's initial line width
  Colour colour_ = Colour::black;
  bool colour_set_ = false;
};

}  // namespace

std::unique_ptr<PrintDevice> make_pdf_device(const FileTarget& target, std::string& bytes,
                                             std::string_view title) {
  return make_vector_device(std::make_unique<PdfCanvas>(), target, bytes, title);
}

}  // namespace veltrane
