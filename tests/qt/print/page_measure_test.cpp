// The printed scale as a user checks it: render a page to PDF through the file back end,
// rasterise it with pdftoppm and measure the reference marks in millimetres.
#include <gtest/gtest.h>

#include <unistd.h>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include "app/read_fields.h"
#include "app/window_fields.h"
#include "backends/qt/qt_painter_device.h"
#include "print/file_output.h"
#include "strobe/strobe_page.h"
#include "support/pdf_pages.h"
#include "template/template_page.h"
#include "ui/control_ids.h"

namespace veltrane {
namespace {

constexpr int raster_dpi = 300;
constexpr double mm_per_pixel = 25.4 / raster_dpi;

bool have_pdftoppm() {
  std::string output;
  return run_command("command -v pdftoppm", output);
}

ParameterSet parameters(const char* correction_x) {
  MainWindowFields fields = initial_main_window_fields();
  fields.correction_x = correction_x;
  ParameterSet set;
  read_parameters(set, fields);
  return set;
}

PrintOpener pdf_opener(std::string& bytes) {
  return [&bytes](std::string_view name) {
    return make_file_device({FileFormat::pdf, 0, Paper::a4}, bytes, name);
  };
}

// The page's PDF rasterised in grey at raster_dpi.
GreyPage rasterised(const std::string& pdf) {
  const auto input =
      std::filesystem::temp_directory_path() / ("veltrane_measure_" + std::to_string(::getpid()));
  std::ofstream(input, std::ios::binary)
      .write(pdf.data(), static_cast<std::streamsize>(pdf.size()));
  GreyPage page = rasterise(input.string(), raster_dpi);
  std::filesystem::remove(input);
  return page;
}

// The ink-weighted centre, in mm from the sheet's corner, of what crosses the band
// between `from` and `to` mm along one axis, at `at` mm on the other (averaged over a
// quarter millimetre). Vertical marks are found along a row, horizontal ones down a column.
enum class Along { row, column };

double mark_centre(const GreyPage& page, Along along, double at, double from, double to) {
  const int first = static_cast<int>(std::lround(from / mm_per_pixel));
  const int last = static_cast<int>(std::lround(to / mm_per_pixel));
  const int middle = static_cast<int>(std::lround(at / mm_per_pixel));
  double ink = 0, moment = 0;
  for (int across = middle - 1; across <= middle + 1; ++across) {
    for (int i = std::max(first, 0); i <= last; ++i) {
      const int x = along == Along::row ? i : across;
      const int y = along == Along::row ? across : i;
      if (x >= page.width || y < 0 || y >= page.height || x < 0) continue;
      const double dark = page.ink(x, y);
      ink += dark;
      moment += dark * (i + 0.5);
    }
  }
  return ink > 0 ? moment / ink * mm_per_pixel : -1000;
}

class PageMeasure : public testing::TestWithParam<double> {
 protected:
  void SetUp() override {
    if (!have_pdftoppm()) GTEST_SKIP() << "pdftoppm (poppler-utils) is not installed";
  }
};

TEST_P(PageMeasure, TemplateReferenceMarksLieAt100And180And200mm) {
  const double cx = GetParam();
  std::string pdf;
  print_template_page(parameters(cx == 1 ? "1.0" : "1.02"), pdf_opener(pdf));
  const GreyPage page = rasterised(pdf);
  ASSERT_GT(page.width, 0);
  EXPECT_NEAR(page.width, 3508, 1) << "A4 landscape";

  // Vertical marks along rows, with their x positions scaled by correction_x.
  const double left_line = mark_centre(page, Along::row, 50, 0, 3 * cx);
  const auto x_of = [&](double row_mm, double x_mm) {
    return mark_centre(page, Along::row, row_mm, x_mm * cx - 2, x_mm * cx + 2) - left_line;
  };
  // Horizontal marks down columns.
  const double top_line = mark_centre(page, Along::column, 50 * cx, 0, 3);
  const auto y_of = [&](double column_mm, double y_mm) {
    return mark_centre(page, Along::column, column_mm * cx, y_mm - 2, y_mm + 2) - top_line;
  };
  // clang-format off
  const struct { const char* mark; double measured, expected; } cases[] = {
      {"tick X=100",          x_of(2.5, 101),   100 * cx},
      {"tick X=200",          x_of(2.5, 201),   200 * cx},
      {"cross (101, 101) x",  x_of(102.5, 101), 100 * cx},
      {"cross (201, 201) x",  x_of(202.5, 201), 200 * cx},
      {"cross (201, 181) x",  x_of(182.5, 201), 200 * cx},
      {"tick Y=100",          y_of(2.5, 101),   100},
      {"tick Y=180",          y_of(2.5, 181),   180},
      {"tick Y=200",          y_of(2.5, 201),   200},
      {"cross (101, 101) y",  y_of(102.5, 101), 100},
      {"cross (201, 201) y",  y_of(202.5, 201), 200},
      {"cross (201, 181) y",  y_of(202.5, 181), 180},
  };
  // clang-format on
  for (const auto& c : cases) EXPECT_NEAR(c.measured, c.expected, mm_per_pixel) << c.mark;
}

TEST_P(PageMeasure, StrobeDiskIs180mmAcrossScaledByTheCorrection) {
  const double cx = GetParam();
  const ParameterSet set = parameters(cx == 1 ? "1.0" : "1.02");
  const std::string blank(caption_length, ' ');
  std::string pdf;
  print_strobe_page(set, 216, 160, blank, blank, pdf_opener(pdf));
  const GreyPage page = rasterised(pdf);
  ASSERT_GT(page.width, 0);
  EXPECT_NEAR(page.width, 2480, 1) << "A4 portrait";

  // The edge circle (radius 90 around (104, 134)) lies 2.5 mm outside the bars.
  const double left = mark_centre(page, Along::row, 134, 14 * cx - 1, 14 * cx + 1);
  const double right = mark_centre(page, Along::row, 134, 194 * cx - 1, 194 * cx + 1);
  const double top = mark_centre(page, Along::column, 104 * cx, 43, 45);
  const double bottom = mark_centre(page, Along::column, 104 * cx, 223, 225);
  EXPECT_NEAR(right - left, 180 * cx, mm_per_pixel);
  EXPECT_NEAR(bottom - top, 180, mm_per_pixel);
}

INSTANTIATE_TEST_SUITE_P(Correction, PageMeasure, testing::Values(1.0, 1.02));

// A picture as the measuring helpers take it, grey at `dpi`.
GreyPage grey_page(const QImage& picture, int dpi) {
  const QImage grey = picture.convertToFormat(QImage::Format_Grayscale8);
  GreyPage page{grey.width(), grey.height(), dpi / 25.4, {}};
  for (int y = 0; y < grey.height(); ++y)
    page.grey.insert(page.grey.end(), grey.constScanLine(y), grey.constScanLine(y) + grey.width());
  return page;
}

// What each file format puts on the sheet, as a user sees it: a PDF printed, a PNG shown, an
// SVG drawn by a viewer.
GreyPage seen(FileFormat format, const std::string& bytes, double margin_mm) {
  const auto* data = reinterpret_cast<const uchar*>(bytes.data());
  const auto size = static_cast<int>(bytes.size());
  switch (format) {
    case FileFormat::pdf:
      return rasterised(bytes);
    case FileFormat::png:
      return grey_page(QImage::fromData(data, size, "PNG"), raster_dpi);
    case FileFormat::svg: {
      QSvgRenderer renderer(QByteArray(bytes.data(), size));
      const QSizeF mm = renderer.viewBoxF().size() * 25.4 / default_dpi(FileFormat::svg);
      QImage picture((mm / mm_per_pixel).toSize(), QImage::Format_Grayscale8);
      picture.fill(Qt::white);
      QPainter painter(&picture);
      // Qt's renderer knows no clip paths: the SVG's own, around its drawing, is put here.
      const double band = margin_mm / mm_per_pixel;
      painter.setClipRect(
          QRectF(QPointF(band, band), QPointF(picture.width() - band, picture.height() - band)));
      renderer.render(&painter);
      painter.end();
      return grey_page(picture, raster_dpi);
    }
    case FileFormat::trace:
      break;
  }
  return {};
}

// Printed by a printer that cannot print the sheet's border, the frame a user checks the
// scale with lies inside the margin, and still measures what it says.
TEST(PageMargin, FrameLiesInsideTheMarginAndKeepsItsLengthsInEveryFormat) {
  if (!have_pdftoppm()) GTEST_SKIP() << "pdftoppm (poppler-utils) is not installed";
  const auto application = offscreen_application_if_none();  // for the SVG renderer
  const ParameterSet set = parameters("1.0");
  // clang-format off
  const struct { FileFormat format; Paper paper; double margin; } cases[] = {
      {FileFormat::pdf, Paper::a4,     default_margin_mm},
      {FileFormat::svg, Paper::a4,     default_margin_mm},
      {FileFormat::png, Paper::a4,     default_margin_mm},
      {FileFormat::pdf, Paper::letter, 6},
      {FileFormat::png, Paper::a4,     0},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message()
                 << "format " << static_cast<int>(c.format) << ", margin " << c.margin);
    std::string bytes;
    print_template_page(set, [&](std::string_view name) {
      return make_file_device(
          {c.format, c.format == FileFormat::png ? raster_dpi : 0, c.paper, c.margin}, bytes, name);
    });
    const GreyPage page = seen(c.format, bytes, c.margin);
    ASSERT_GT(page.width, 0);
    const SheetMm sheet = sheet_mm(c.paper, Orientation::landscape);
    EXPECT_NEAR(page.width / page.dots_per_mm, sheet.width_mm, 0.2);
    const auto frame = template_frame(page);
    ASSERT_TRUE(frame);
    // The page's origin is the printable area's corner, the margin inside the sheet's.
    EXPECT_NEAR(frame->left_line, c.margin + 1, 0.15);
    EXPECT_NEAR(frame->top_line, c.margin + 1, 0.15);
    EXPECT_NEAR(frame->y200, c.margin + 201, 0.15);
    // clang-format off
    const struct { double measured, mm; } lengths[] = {
      {frame->x100 - frame->left_line, 100}, {frame->x200 - frame->left_line, 200},
      {frame->y100 - frame->top_line,  100}, {frame->y180 - frame->top_line,  180},
      {frame->y200 - frame->top_line,  200},
    };
    // clang-format on
    for (const auto& length : lengths) EXPECT_NEAR(length.measured, length.mm, 0.15);
    if (c.format == FileFormat::svg) {
      EXPECT_NE(bytes.find("<g clip-path=\"url(#printable-area)\">"), std::string::npos);
    }
    // Nothing lies in the band a printer cannot print: the cut circle is cut off there.
    const InkBox ink = ink_box(page);
    EXPECT_GT(ink.left, c.margin - 0.1);
    EXPECT_GT(ink.top, c.margin - 0.1);
    EXPECT_LT(ink.right, sheet.width_mm - c.margin + 0.1);
    EXPECT_LT(ink.bottom, sheet.height_mm - c.margin + 0.1);
  }
}

}  // namespace
}  // namespace veltrane
