// The PDF and SVG writers read back: every operation of every page kind's trace is in the
// file, its geometry within a hundredth of a dot, and the files are sound for their readers.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cmath>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "golden.h"
#include "model/field_reading.h"
#include "print/json_text.h"
#include "print/pdf_writer.h"
#include "print/svg_writer.h"
#include "print/vector_page.h"
#include "support/pdf_pages.h"

namespace veltrane {
namespace {

constexpr double tolerance = 0.01;

// One drawing as read back from a file: a painted path or a line of text, in page dots.
struct Mark {
  bool is_text = false;
  std::vector<PathSegment> segments;  // the first one's `to` is where the path starts
  bool closed = false, filled = false, white = false;
  double pen = 1;
  double x = 0, y = 0, em = 0;  // text: its baseline's start
  std::string text;             // SVG: UTF-8; PDF: WinAnsi bytes
};

std::vector<double> numbers_in(const std::string& text) {
  std::vector<double> out;
  static const std::regex number(R"(-?[0-9]+(\.[0-9]+)?)");
  for (auto i = std::sregex_iterator(text.begin(), text.end(), number); i != std::sregex_iterator();
       ++i)
    out.push_back(std::stod(i->str()));
  return out;
}

std::string inflated(const std::string& packed) {
  std::string out(packed.size() * 20 + 1024, '\0');
  auto size = static_cast<uLongf>(out.size());
  if (uncompress(reinterpret_cast<Bytef*>(out.data()), &size,
                 reinterpret_cast<const Bytef*>(packed.data()), packed.size()) != Z_OK)
    return {};
  out.resize(size);
  return out;
}

std::string pdf_content(const std::string& pdf) {
  const std::size_t start = pdf.find("stream\n") + 7, end = pdf.find("\nendstream");
  const std::string data = pdf.substr(start, end - start);
  return pdf.find("/FlateDecode") != std::string::npos ? inflated(data) : data;
}

// Reads the content stream's operators after the page's frame ("cm ... j" line).
std::vector<Mark> pdf_marks(const std::string& pdf) {
  std::istringstream content(pdf_content(pdf));
  std::string line;
  std::getline(content, line);
  std::vector<Mark> marks;
  Mark path;
  double pen = 1;
  bool white = false;
  while (std::getline(content, line)) {
    const std::vector<double> n = numbers_in(line);
    const std::string op = line.substr(line.rfind(' ') + 1);
    if (line.starts_with("BT")) {
      Mark text;
      text.is_text = true;
      text.em = n[2];
      text.x = n[6], text.y = n[7];
      const std::size_t open = line.find('('), close = line.rfind(')');
      const std::string literal = line.substr(open + 1, close - open - 1);
      for (std::size_t i = 0; i < literal.size(); ++i) {
        if (literal[i] != '\\') {
          text.text += literal[i];
        } else if (std::isdigit(static_cast<unsigned char>(literal[i + 1]))) {
          text.text += static_cast<char>(std::stoi(literal.substr(i + 1, 3), nullptr, 8));
          i += 3;
        } else {
          text.text += literal[++i];
        }
      }
      marks.push_back(text);
    } else if (op == "w") {
      pen = n[0];
    } else if (op == "G") {
      white = n[0] == 1;
    } else if (op == "m") {
      path = {};
      path.segments.push_back({false, {}, {}, {n[0], n[1]}});
    } else if (op == "l") {
      path.segments.push_back({false, {}, {}, {n[0], n[1]}});
    } else if (op == "c") {
      path.segments.push_back({true, {n[0], n[1]}, {n[2], n[3]}, {n[4], n[5]}});
    } else if (op == "h") {
      path.closed = true;
    } else if (op == "S" || op == "B") {
      path.filled = op == "B", path.pen = pen, path.white = white;
      marks.push_back(path);
    }
  }
  return marks;
}

std::vector<Mark> svg_marks(const std::string& svg) {
  std::vector<Mark> marks;
  static const std::regex element(
      R"re(<path d="([^"]*)"([^/]*)/>|<text x="([^"]*)" y="([^"]*)" font-size="([^"]*)"[^>]*>([^<]*)</text>)re");
  for (auto i = std::sregex_iterator(svg.begin(), svg.end(), element); i != std::sregex_iterator();
       ++i) {
    const std::smatch& m = *i;
    Mark mark;
    if (m[1].matched) {
      const std::string d = m[1], paint = m[2];
      static const std::regex command("([MLC])([^MLCZ]*)");
      for (auto c = std::sregex_iterator(d.begin(), d.end(), command); c != std::sregex_iterator();
           ++c) {
        const std::vector<double> n = numbers_in((*c)[2]);
        if ((*c)[1] == "C")
          mark.segments.push_back({true, {n[0], n[1]}, {n[2], n[3]}, {n[4], n[5]}});
        else
          mark.segments.push_back({false, {}, {}, {n[0], n[1]}});
      }
      mark.closed = d.back() == 'Z';
      mark.filled = paint.find("fill=") != std::string::npos;
      mark.white = paint.find("#fff") != std::string::npos;
      const std::size_t width = paint.find("stroke-width=\"");
      if (width != std::string::npos) mark.pen = std::stod(paint.substr(width + 14));
    } else {
      mark.is_text = true;
      mark.x = std::stod(m[3]), mark.y = std::stod(m[4]), mark.em = std::stod(m[5]);
      mark.text = std::regex_replace(std::string(m[6]), std::regex("&lt;"), "<");
      mark.text = std::regex_replace(mark.text, std::regex("&gt;"), ">");
      mark.text = std::regex_replace(mark.text, std::regex("&quot;"), "\"");
      mark.text = std::regex_replace(mark.text, std::regex("&amp;"), "&");
    }
    marks.push_back(mark);
  }
  return marks;
}

// The ellipse through the dot centres of a trace's box.
struct TraceEllipse {
  double cx, cy, a, b;

  TraceEllipse(const std::vector<double>& box)
      : cx((box[0] + box[2]) / 2 + 0.5),
        cy((box[1] + box[3]) / 2 + 0.5),
        a(std::fabs(box[2] - box[0]) / 2),
        b(std::fabs(box[3] - box[1]) / 2) {}

  // First-order distance of `p` from the curve.
  double distance(PathPoint p) const {
    const double dx = p.x - cx, dy = p.y - cy;
    const double f = dx * dx / (a * a) + dy * dy / (b * b) - 1;
    return std::fabs(f) / std::hypot(2 * dx / (a * a), 2 * dy / (b * b));
  }

  PathPoint on_ray(double angle) const {
    const double c = std::cos(angle), s = std::sin(angle);
    const double r = 1 / std::hypot(c / a, s / b);
    return {cx + r * c, cy - r * s};
  }
};

double gap(PathPoint p, PathPoint q) {
  return std::hypot(p.x - q.x, p.y - q.y);
}

// Every curve of `mark` from segment `first` on runs along the ellipse.
void expect_on_ellipse(const Mark& mark, std::size_t first, const TraceEllipse& e,
                       const std::string& where) {
  for (std::size_t i = first; i < mark.segments.size(); ++i) {
    const PathSegment& s = mark.segments[i];
    ASSERT_TRUE(s.curve) << where;
    const PathPoint p0 = mark.segments[i - 1].to;
    for (double t = 0; t <= 1; t += 0.125) {
      const double u = 1 - t;
      const PathPoint p{
          u * u * u * p0.x + 3 * u * u * t * s.c1.x + 3 * u * t * t * s.c2.x + t * t * t * s.to.x,
          u * u * u * p0.y + 3 * u * u * t * s.c1.y + 3 * u * t * t * s.c2.y + t * t * t * s.to.y};
      ASSERT_LT(e.distance(p), tolerance) << where << " at t " << t;
    }
  }
}

// The trace's numbers after its operator (words that are no number are skipped).
std::vector<double> trace_numbers(const std::string& line) {
  std::istringstream words(line);
  std::string word;
  std::vector<double> out;
  words >> word;
  while (words >> word) {
    char* end = nullptr;
    const double value = std::strtod(word.c_str(), &end);
    if (end != word.c_str() && *end == '\0') out.push_back(value);
  }
  return out;
}

// The text of a trace's JSON string literal (the trace escapes only what JSON must).
std::string json_text(const std::string& literal) {
  std::string out;
  for (std::size_t i = 1; i + 1 < literal.size(); ++i) {
    if (literal[i] != '\\') {
      out += literal[i];
      continue;
    }
    const char c = literal[++i];
    if (c == 'u') {
      out += static_cast<char>(std::stoi(literal.substr(i + 1, 4), nullptr, 16));
      i += 4;
    } else {
      out += c == 'n'   ? '\n'
             : c == 't' ? '\t'
             : c == 'r' ? '\r'
             : c == 'b' ? '\b'
             : c == 'f' ? '\f'
                        : c;
    }
  }
  return out;
}

// Draws what `trace` records on `device`.
void replay(const std::string& trace, PrintDevice& device) {
  std::istringstream lines(trace);
  std::string line;
  while (std::getline(lines, line)) {
    const std::string op = line.substr(0, line.find(' '));
    const std::vector<double> n = trace_numbers(line);
    const auto box = [&n] { return DotBox{int(n[0]), int(n[1]), int(n[2]), int(n[3])}; };
    if (op == "page") {
      device.set_orientation(line.find("landscape") != std::string::npos ? Orientation::landscape
                                                                         : Orientation::portrait);
      device.dots_per_inch();
    } else if (op == "pen") {
      device.set_pen_width(int(n[0]));
    } else if (op == "move") {
      device.move_to(int(n[0]), int(n[1]));
    } else if (op == "line") {
      device.line_to(int(n[0]), int(n[1]));
    } else if (op == "ellipse") {
      device.ellipse(box(), line.find("white") != std::string::npos ? Colour::white : Colour::black,
                     line.find("solid") != std::string::npos ? Fill::solid : Fill::hollow);
    } else if (op == "arc") {
      device.arc(box(), float(n[4]), float(n[5]));
    } else if (op == "pie") {
      device.pie(box(), float(n[4]), float(n[5]));
    } else if (op == "font") {
      std::istringstream words(line);
      std::string face, size, style;
      words >> face >> face >> size >> style;
      device.select_font({face, std::stof(size), style == "italic"});
    } else if (op == "text") {
      device.print_text(json_text(line.substr(5)));
    }
  }
  device.close();
}

// The text a file holds for a trace's text: WinAnsi bytes in a PDF, the same characters in
// UTF-8 in an SVG.
std::string expected_text(const std::string& utf8, bool winansi) {
  return winansi ? winansi_text(utf8) : cp1252_to_utf8(winansi_text(utf8));
}

// Replays `trace` into `device` and checks each operation against `marks`, in order.
void expect_marks_match_trace(const std::string& trace, const std::vector<Mark>& marks,
                              bool winansi, const std::string& name) {
  std::istringstream lines(trace);
  std::string line;
  std::size_t next = 0;
  double pen = 1, x = 0, y = 0, em = 0;
  while (std::getline(lines, line)) {
    const std::string op = line.substr(0, line.find(' '));
    const std::vector<double> n = trace_numbers(line);
    std::string where = name;
    where.append(": ").append(line);
    if (op == "pen") pen = std::max(n[0], 1.0);
    if (op == "move") x = n[0], y = n[1];
    if (op == "font") em = std::round(n[0] * 600 / 72);
    if (op != "line" && op != "ellipse" && op != "arc" && op != "pie" && op != "text") continue;
    ASSERT_LT(next, marks.size()) << where;
    const Mark& mark = marks[next++];
    ASSERT_EQ(mark.is_text, op == "text") << where;
    if (op == "text") {
      EXPECT_EQ(mark.text, expected_text(json_text(line.substr(5)), winansi)) << where;
      EXPECT_NEAR(mark.x, x, tolerance) << where;
      EXPECT_NEAR(mark.y, y + std::round(em * 1854 / 2048), tolerance) << where;
      EXPECT_EQ(mark.em, em) << where;
      x = 0,
      y += std::round(em * 1854 / 2048) + std::round(em * 434 / 2048) + std::round(em * 67 / 2048);
      continue;
    }
    EXPECT_EQ(mark.pen, pen) << where;
    ASSERT_FALSE(mark.segments.empty()) << where;
    const PathPoint start = mark.segments.front().to;
    if (op == "line") {
      ASSERT_EQ(mark.segments.size(), 2u) << where;
      EXPECT_LT(gap(start, {x + 0.5, y + 0.5}), tolerance) << where;
      EXPECT_LT(gap(mark.segments[1].to, {n[0] + 0.5, n[1] + 0.5}), tolerance) << where;
      EXPECT_FALSE(mark.filled || mark.white || mark.closed) << where;
      x = n[0], y = n[1];
      continue;
    }
    const TraceEllipse e(n);
    if (op == "ellipse") {
      EXPECT_TRUE(mark.closed) << where;
      EXPECT_EQ(mark.white, line.find("white") != std::string::npos) << where;
      EXPECT_EQ(mark.filled, line.find("solid") != std::string::npos) << where;
      EXPECT_LT(e.distance(start), tolerance) << where;
      expect_on_ellipse(mark, 1, e, where);
      continue;
    }
    const PathPoint from = e.on_ray(n[4]), to = e.on_ray(n[5]);
    EXPECT_FALSE(mark.white) << where;
    EXPECT_EQ(mark.filled, op == "pie") << where;
    EXPECT_EQ(mark.closed, op == "pie") << where;
    const std::size_t arc_start = op == "pie" ? 1 : 0;
    if (op == "pie") {
      EXPECT_LT(gap(start, {e.cx, e.cy}), tolerance) << where;
    }
    EXPECT_LT(gap(mark.segments[arc_start].to, from), tolerance) << where;
    EXPECT_LT(gap(mark.segments.back().to, to), tolerance) << where;
    expect_on_ellipse(mark, arc_start + 1, e, where);
  }
  EXPECT_EQ(next, marks.size()) << name;
}

std::string written(const std::string& trace, FileFormat format, double margin_mm = 0) {
  std::string bytes;
  const FileTarget target{format, 600, Paper::a4, margin_mm};
  const auto device = format == FileFormat::pdf ? make_pdf_device(target, bytes, "Arc template")
                                                : make_svg_device(target, bytes, "Arc template");
  replay(trace, *device);
  return bytes;
}

// Every character a page's text can hold, in lines that fit the sheet: ASCII, the pages'
// own (degree, o umlaut, en dash, minus), Windows-1252's letters and signs that a custom
// disk's captions may use, and characters WinAnsi lacks.
const std::vector<std::string> all_characters = [] {
  std::vector<std::string> lines{"\x01",
                                 "\u00B0\u00F6\u2013\u2212\u20AC\u0152\u2122\u0178 \u03A9\xFF"};
  for (char c = ' '; c <= '~'; ++c) lines[0] += c;
  for (int row = 0xA0; row <= 0xE0; row += 0x20) {
    lines.emplace_back();
    for (int c = std::max(row, 0xA1); c < row + 0x20; ++c) {
      lines.back() += static_cast<char>(0xC0 | c >> 6);
      lines.back() += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return lines;
}();

const std::string every_character_trace = [] {
  std::string trace = "open \"t\"\npage landscape 600 600\nfont Arial 12 regular\nmove 100 200\n";
  for (const std::string& line : all_characters) trace += "text " + json_string(line) + '\n';
  return trace + "font Arial 10 italic\ntext \"<&>\\\"()\\\\\"\nclose\n";
}();

struct PageCase {
  std::string name;
  std::string trace;
};

std::vector<PageCase> page_cases() {
  std::vector<PageCase> cases;
  for (const char* golden :
       {"template_default.trace", "strobe_50hz.trace", "strobe_60hz.trace", "chart_default.trace"})
    cases.push_back({golden, read_golden(golden)});
  cases.push_back({"every character", every_character_trace});
  return cases;
}

TEST(VectorWritersTest, EveryOperationOfEveryPageKindReadsBackAsTraced) {
  for (const PageCase& page : page_cases()) {
    ASSERT_FALSE(page.trace.empty()) << page.name;
    expect_marks_match_trace(page.trace, pdf_marks(written(page.trace, FileFormat::pdf)), true,
                             page.name + " pdf");
    expect_marks_match_trace(page.trace, svg_marks(written(page.trace, FileFormat::svg)), false,
                             page.name + " svg");
  }
}

// What other programs make of the files: qpdf and xmllint find nothing wrong, a viewer sees
// the sheet, the title and every text, the same page gives the same bytes.
TEST(VectorWritersTest, FilesAreSoundForTheirReaders) {
  const std::string dir = ::testing::TempDir();
  for (const PageCase& page : page_cases()) {
    const std::string pdf = written(page.trace, FileFormat::pdf);
    const std::string svg = written(page.trace, FileFormat::svg);
    EXPECT_EQ(pdf, written(page.trace, FileFormat::pdf)) << page.name;
    const std::string pdf_path = dir + "/vector_writer.pdf", svg_path = dir + "/vector_writer.svg";
    std::ofstream(pdf_path, std::ios::binary) << pdf;
    std::ofstream(svg_path, std::ios::binary) << svg;
    std::string output;
    EXPECT_TRUE(run_command("qpdf --check " + shell_quoted(pdf_path), output))
        << page.name << output;
    EXPECT_TRUE(run_command("xmllint --noout " + shell_quoted(svg_path), output))
        << page.name << output;
    const PdfInfo info = pdf_info(pdf_path);
    const bool landscape = page.trace.find("page landscape") != std::string::npos;
    EXPECT_NEAR(info.width_pt, (landscape ? 297 : 210) / 25.4 * 72, 0.01) << page.name;
    EXPECT_NEAR(info.height_pt, (landscape ? 210 : 297) / 25.4 * 72, 0.01) << page.name;
    EXPECT_EQ(info.title, "Arc template") << page.name;
    EXPECT_NE(pdf.find("/ViewerPreferences << /PrintScaling /None >>"), std::string::npos);
    EXPECT_NE(svg.find(landscape ? "width=\"297mm\" height=\"210mm\""
                                 : "width=\"210mm\" height=\"297mm\""),
              std::string::npos)
        << page.name;
  }
  // A viewer's text search finds the characters as the page holds them, those without a
  // WinAnsi byte as '?' and the minus as the hyphen-minus.
  const std::string pdf_path = ::testing::TempDir() + "/every_character.pdf";
  std::ofstream(pdf_path, std::ios::binary) << written(every_character_trace, FileFormat::pdf);
  const std::string text = pdf_text(pdf_path);
  // (A viewer reads the soft hyphen as a hyphen.)
  const std::vector<std::string> expected = {
      "?" + all_characters[0].substr(1), "\u00B0\u00F6\u2013-\u20AC\u0152\u2122\u0178 ??",
      std::regex_replace(all_characters[2], std::regex("\u00AD"), "-"), all_characters[3],
      all_characters[4]};
  for (const std::string& line : expected)
    EXPECT_NE(text.find(fold_spaces(line)), std::string::npos) << text << "\n" << line;
  EXPECT_NE(text.find("<&>\"()\\"), std::string::npos) << text;
}

// The margin moves the page's origin on the sheet and cuts the page off where the band
// begins; the sheet stays the paper. Without a margin nothing is cut off.
TEST(VectorWritersTest, MarginInsetsThePageAndCutsItOff) {
  const std::string trace = read_golden("template_default.trace");
  EXPECT_NE(pdf_content(written(trace, FileFormat::pdf, 4))
                .find(" cm 94.488 94.488 6826.772 4771.654 re W n 1 0 0 1 94.488 94.488 cm"),
            std::string::npos);
  const std::string svg = written(trace, FileFormat::svg, 4);
  EXPECT_NE(svg.find("<rect x=\"94.488\" y=\"94.488\" width=\"6826.772\" height=\"4771.654\"/>"),
            std::string::npos);
  EXPECT_NE(svg.find("translate(94.488 94.488)"), std::string::npos);
  EXPECT_EQ(pdf_content(written(trace, FileFormat::pdf, 0)).find(" re W n"), std::string::npos);
  EXPECT_EQ(written(trace, FileFormat::svg, 0).find("clipPath"), std::string::npos);
}

}  // namespace
}  // namespace veltrane
