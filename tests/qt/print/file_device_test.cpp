#include <gtest/gtest.h>

#include <QImage>
#include <regex>

#include "backends/qt/qt_painter_device.h"
#include "pdf_facts.h"
#include "print/file_output.h"

namespace veltrane {
namespace {

std::string blank_page(FileTarget target, Orientation orientation) {
  std::string bytes;
  auto device = make_file_device(target, bytes, print_document_name);
  device->set_orientation(orientation);
  device->close();
  return bytes;
}

QImage decoded(const std::string& bytes) {
  return QImage::fromData(reinterpret_cast<const uchar*>(bytes.data()),
                          static_cast<int>(bytes.size()), "PNG");
}

TEST(FileDevice, PngHasTheSheetsSizeInDotsAndItsResolution) {
  // clang-format off
  const struct { Paper paper; Orientation orientation; int dpi, width, height; } cases[] = {
      {Paper::a4,     Orientation::portrait,  0,   2480, 3508},  // 300 dpi by default
      {Paper::a4,     Orientation::landscape, 300, 3508, 2480},
      {Paper::a4,     Orientation::portrait,  72,  595,  842},
      {Paper::letter, Orientation::portrait,  300, 2550, 3300},
      {Paper::letter, Orientation::landscape, 150, 1650, 1275},
      {Paper::letter, Orientation::landscape, 2,   22,   17},
      {Paper::a3,      Orientation::portrait,  300, 3508, 4961},
      {Paper::a3,      Orientation::landscape, 100, 1654, 1169},
      {Paper::legal,   Orientation::portrait,  300, 2550, 4200},
      {Paper::legal,   Orientation::landscape, 100, 1400, 850},
      {Paper::tabloid, Orientation::portrait,  300, 3300, 5100},
      {Paper::tabloid, Orientation::landscape, 100, 1700, 1100},
  };
  // clang-format on
  for (const auto& c : cases) {
    const QImage image = decoded(blank_page({FileFormat::png, c.dpi, c.paper}, c.orientation));
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.width(), c.width) << c.dpi;
    EXPECT_EQ(image.height(), c.height) << c.dpi;
    const int dpi = c.dpi == 0 ? 300 : c.dpi;
    EXPECT_NEAR(image.dotsPerMeterX(), dpi / 0.0254, 0.5);
    EXPECT_NEAR(image.dotsPerMeterY(), dpi / 0.0254, 0.5);
    EXPECT_EQ(qGray(image.pixel(c.width / 2, c.height / 2)), 255) << "a blank page is white";
  }
}

TEST(FileDevice, SvgStatesItsSizeInMillimetres) {
  // clang-format off
  const struct { Paper paper; Orientation orientation; int dpi; double width_mm, height_mm; } cases[] = {
      {Paper::a4,     Orientation::portrait,  0,    210,   297},
      {Paper::a4,     Orientation::landscape, 600,  297,   210},
      {Paper::letter, Orientation::landscape, 1200, 279.4, 215.9},
  };
  // clang-format on
  const std::regex size(
      R"re(width="([0-9.]+)mm" height="([0-9.]+)mm" viewBox="0 0 ([0-9.]+) ([0-9.]+)")re");
  for (const auto& c : cases) {
    const std::string svg = blank_page({FileFormat::svg, c.dpi, c.paper}, c.orientation);
    std::smatch m;
    ASSERT_TRUE(std::regex_search(svg, m, size)) << svg.substr(0, 300);
    const int dpi = c.dpi == 0 ? 600 : c.dpi;
    // The sheet exactly, and one view box unit one dot (to the view box's three decimals).
    EXPECT_EQ(std::stod(m[1]), c.width_mm);
    EXPECT_EQ(std::stod(m[2]), c.height_mm);
    EXPECT_NEAR(std::stod(m[3]), c.width_mm / 25.4 * dpi, 0.0005);
    EXPECT_NEAR(std::stod(m[4]), c.height_mm / 25.4 * dpi, 0.0005);
    EXPECT_NE(svg.find("<title>Print Job</title>"), std::string::npos);
  }
}

TEST(FileDevice, ReportsTheResolutionAskedFor) {
  // clang-format off
  const struct { FileFormat format; int dpi, expected; } cases[] = {
      {FileFormat::pdf, 0,   600},
      {FileFormat::pdf, 1200, 1200},
      {FileFormat::svg, 0,   600},
      {FileFormat::png, 0,   300},
      {FileFormat::png, 96,  96},
  };
  // clang-format on
  for (const auto& c : cases) {
    std::string bytes;
    auto device = make_file_device({c.format, c.dpi, Paper::a4}, bytes, print_document_name);
    const Resolution dpi = device->dots_per_inch();
    EXPECT_EQ(dpi.across, c.expected);
    EXPECT_EQ(dpi.down, c.expected);
    device->close();
    EXPECT_FALSE(bytes.empty());
  }
}

TEST(FileDevice, PdfIsOnePageOfThePaperAskingForActualSize) {
  // clang-format off
  const struct { Paper paper; Orientation orientation; double width_pt, height_pt; } cases[] = {
      {Paper::a4,      Orientation::portrait,  595.276, 841.89},
      {Paper::a4,      Orientation::landscape, 841.89, 595.276},
      {Paper::a3,      Orientation::landscape, 1190.551, 841.89},
      {Paper::letter,  Orientation::portrait,  612, 792},
      {Paper::letter,  Orientation::landscape, 792, 612},
      {Paper::legal,   Orientation::portrait,  612, 1008},
      {Paper::tabloid, Orientation::landscape, 1224, 792},
  };
  // clang-format on
  for (const auto& c : cases) {
    const PdfFacts pdf = pdf_facts(blank_page({FileFormat::pdf, 0, c.paper}, c.orientation));
    ASSERT_TRUE(pdf.readable);
    EXPECT_EQ(pdf.pages, 1u);
    EXPECT_EQ(pdf.title, "Print Job");
    EXPECT_EQ(pdf.print_scaling, "/None");
    EXPECT_EQ(pdf.width_pt, c.width_pt) << paper_size(c.paper).name;
    EXPECT_EQ(pdf.height_pt, c.height_pt) << paper_size(c.paper).name;
  }
}

TEST(FileDevice, ASheetThatCannotBePaintedLeavesNoBytes) {
  // A4 at a million dots per inch is far more image than any memory holds.
  std::string bytes;
  auto device = make_file_device({FileFormat::png, 1000000, Paper::a4}, bytes, "x");
  device->set_pen_width(3);
  device->pie({0, 0, 1000, 1000}, 0, 1);
  device->close();
  EXPECT_TRUE(bytes.empty());
}

TEST(FileDevice, TraceIsNotARenderedFormat) {
  std::string bytes;
  EXPECT_TRUE(file_format_available(FileFormat::png));
  EXPECT_EQ(make_file_device({FileFormat::trace, 0, Paper::a4}, bytes, "x"), nullptr);
}

}  // namespace
}  // namespace veltrane
