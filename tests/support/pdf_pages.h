#pragma once

// What the tests measure in a PDF as a user would, through poppler's tools: its pages and
// title, its text, and its marks on a raster of the first page.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace veltrane {

/// `text` quoted for the shell.
std::string shell_quoted(const std::string& text);

/// Runs a shell command; its standard output and error, and whether it exited with 0.
bool run_command(const std::string& command, std::string& output);

struct PdfInfo {
  int pages = 0;
  double width_pt = 0;
  double height_pt = 0;
  std::string title;
};

/// pdfinfo's account of a PDF file.
PdfInfo pdf_info(const std::string& pdf);

/// pdftotext's text of a PDF, every run of white space made one space.
std::string pdf_text(const std::string& pdf);

/// The same white-space folding, with the ends trimmed.
std::string fold_spaces(const std::string& text);

/// A grey raster of the first page: 0 black, 255 white.
struct GreyPage {
  int width = 0;
  int height = 0;
  double dots_per_mm = 0;
  std::vector<std::uint8_t> grey;

  int ink(int x, int y) const { return 255 - grey[static_cast<std::size_t>(y) * width + x]; }
};

/// pdftoppm's rendering of the first page at `dpi`.
GreyPage rasterise(const std::string& pdf, int dpi = 300);

/// Centres (mm from the page's left edge) of the marks that cross the rows from `from_mm` to
/// `to_mm`: runs of inked columns, each centre weighted by its ink.
std::vector<double> marks_across(const GreyPage& page, double from_mm, double to_mm);

/// The same for rows: centres (mm from the top) of the marks crossing those columns.
std::vector<double> marks_down(const GreyPage& page, double from_mm, double to_mm);

/// The mark in `marks` nearest to `near_mm` if one lies within `window_mm` of it.
std::optional<double> mark_near(const std::vector<double>& marks, double near_mm,
                                double window_mm = 3);

/// The inked area of the page in mm: left, top, right, bottom edges.
struct InkBox {
  double left = 0, top = 0, right = 0, bottom = 0;
};
InkBox ink_box(const GreyPage& page);

/// The template's reference frame as a user measures it with a rule, in mm from the sheet's
/// left and top edges: the reference lines and the X=100/200 and Y=100/180/200 ticks. The
/// ticks start at the printable area's edges, so the corner of the ink is that area's corner;
/// `scale_x`, `scale_y` are the correction factors the page was drawn with. Empty when a
/// mark is missing.
struct TemplateFrame {
  double left_line = 0, top_line = 0;
  double x100 = 0, x200 = 0;
  double y100 = 0, y180 = 0, y200 = 0;
};
std::optional<TemplateFrame> template_frame(const GreyPage& page, double scale_x = 1,
                                            double scale_y = 1);

}  // namespace veltrane
