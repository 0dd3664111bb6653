// The pages' estimate of text sizes against the face that actually draws them.
#include "print/text_extent.h"

#include <gtest/gtest.h>

#include <QFont>
#include <QFontMetricsF>

#include "backends/qt/qt_painter_device.h"
#include "print/print_job.h"

namespace veltrane {
namespace {

TEST(TextExtent, MatchesTheFaceThatDrawsThePages) {
  const auto application = offscreen_application_if_none();
  QFont font(QStringLiteral("Arial"));
  font.setPixelSize(1000);  // one em: 1000 pixels
  font.setHintingPreference(QFont::PreferNoHinting);
  const QFontMetricsF metrics(font);
  EXPECT_NEAR((metrics.ascent() + metrics.descent()) / 1000, text_cell_height_em, 0.01);
  // clang-format off
  const char* known[] = {
      "pivot", "X=200mm", "Y=180mm", "Pivot to spindle distance = 239.300",
      "Inner groove radius = 57.500 (DIN)", "Outer groove radius = 146.050 (DIN/IEC)",
      "Overhang = -17.277", "ABCDEFGHIJKLMNOPQRSTUVWXYZ abcdefghijklmnopqrstuvwxyz 0123456789",
      "!\"#$%&'()*+,-./:;<=>?@[\\]^_`{|}~", "Offset angle = 23.752\u00B0",
      "L\u00F6fgren B", "\u00D6l", "\u22120.5 \u2013 arm",
  };
  // clang-format on
  for (const char* text : known) {
    const double actual = metrics.horizontalAdvance(QString::fromUtf8(text)) / 1000;
    EXPECT_NEAR(text_width_em(text), actual, 0.005 * actual + 0.002) << text;
  }
  // Other characters count a whole em: never narrower than drawn.
  for (const char* text : {"\u4E2D\u00D6", "\u00E9t\u00E9"}) {
    const double actual = metrics.horizontalAdvance(QString::fromUtf8(text)) / 1000;
    EXPECT_GE(text_width_em(text), actual) << text;
    EXPECT_LT(text_width_em(text), actual + 1.01) << text;
  }
}

TEST(TextExtent, EmFollowsTheDevicesRule) {
  EXPECT_NEAR(font_em_mm(make_print_font("Arial", 12, false)), 12 * 25.4 / 72, 0.001);
  EXPECT_NEAR(font_em_mm(make_print_font("Arial", 0, false)), 8 * 25.4 / 72, 0.001);
  EXPECT_NEAR(font_em_mm(make_print_font("Arial", -3, false)), 8 * 25.4 / 72, 0.001);
}

}  // namespace
}  // namespace veltrane
