#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <algorithm>
#include <optional>
#include <regex>

#include "backends/qt/pdf_print_scaling.h"
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
      R"re(<svg width="([0-9.]+)mm" height="([0-9.]+)mm"\s+viewBox="0 0 (\d+) (\d+)")re");
  for (const auto& c : cases) {
    const std::string svg = blank_page({FileFormat::svg, c.dpi, c.paper}, c.orientation);
    std::smatch m;
    ASSERT_TRUE(std::regex_search(svg, m, size)) << svg.substr(0, 300);
    const int dpi = c.dpi == 0 ? 600 : c.dpi;
    // Whole dots: within one dot of the sheet, and one view box unit is exactly one dot.
    EXPECT_NEAR(std::stod(m[1]), c.width_mm, 25.4 / dpi);
    EXPECT_NEAR(std::stod(m[2]), c.height_mm, 25.4 / dpi);
    EXPECT_NEAR(std::stod(m[1]) / std::stod(m[3]), 25.4 / dpi, 1e-6);
    EXPECT_NEAR(std::stod(m[2]) / std::stod(m[4]), 25.4 / dpi, 1e-6);
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
      {Paper::a4,      Orientation::portrait,  595, 842},
      {Paper::a4,      Orientation::landscape, 842, 595},
      {Paper::a3,      Orientation::landscape, 1191, 842},
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

// A PDF straight from Qt's writer, with a line on its page.
std::string qt_pdf(const QString& title) {
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  {
    QPdfWriter writer(&buffer);
    writer.setTitle(title);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, {}));
    QPainter painter(&writer);
    painter.drawLine(10, 10, 500, 300);
  }
  return buffer.data().toStdString();
}

TEST(PdfPrintScaling, AddsTheViewerPreferenceAndChangesNothingElse) {
  const auto application = offscreen_application_if_none();
  const std::string original = qt_pdf(QStringLiteral("Arc template 209 mm, L\u00F6fgren A"));
  const std::optional<std::string> scaled = with_print_scaling_none(original);
  ASSERT_TRUE(scaled.has_value());
  const PdfFacts before = pdf_facts(original);
  const PdfFacts after = pdf_facts(*scaled);
  ASSERT_TRUE(before.readable && after.readable);
  EXPECT_EQ(before.print_scaling, "");
  EXPECT_EQ(after.print_scaling, "/None");
  std::vector<std::string> keys = before.root_keys;
  keys.push_back("/ViewerPreferences");
  std::sort(keys.begin(), keys.end());
  EXPECT_EQ(after.root_keys, keys);
  EXPECT_EQ(after.pages, before.pages);
  EXPECT_EQ(after.title, "Arc template 209 mm, L\u00F6fgren A");
  EXPECT_EQ(after.width_pt, before.width_pt);
  EXPECT_EQ(after.height_pt, before.height_pt);
  EXPECT_FALSE(before.content.empty());
  EXPECT_EQ(after.content, before.content) << "the page's stream is passed on as Qt wrote it";
  EXPECT_TRUE(scaled->starts_with("%PDF-1.6"));
  // The step adds nothing of its own that differs from run to run.
  EXPECT_EQ(with_print_scaling_none(original), scaled);
}

TEST(PdfPrintScaling, WhatIsNotAPdfGivesNothing) {
  for (const std::string& bytes : {std::string(), std::string("%PDF-1.4\n"), std::string("GIF89a")})
    EXPECT_FALSE(with_print_scaling_none(bytes).has_value()) << bytes;
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
  EXPECT_TRUE(rendered_formats_available());
  EXPECT_EQ(make_file_device({FileFormat::trace, 0, Paper::a4}, bytes, "x"), nullptr);
}

}  // namespace
}  // namespace veltrane
