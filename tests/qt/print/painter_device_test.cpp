#include "backends/qt/qt_painter_device.h"

#include <gtest/gtest.h>

#include <QImage>
#include <functional>
#include <numbers>

namespace veltrane {
namespace {

constexpr double pi = std::numbers::pi;

struct TargetLog {
  int starts = 0;
  int finishes = 0;
  int paints = 0;              // drawings handed to the target's paint
  bool drawn_outside = false;  // whether the page changed outside them
  Orientation orientation = Orientation::portrait;
};

// A page in memory, 4 by 3 inches at `dpi`, white, one grey byte per dot.
class ImagePage final : public PaintTarget {
 public:
  ImagePage(QImage& image, TargetLog& log, int dpi, bool available, QPointF corner, bool raster)
      : image_(image),
        log_(log),
        dpi_(dpi),
        available_(available),
        corner_(corner),
        raster_(raster) {}

  PageSurface start_page(Orientation orientation) override {
    ++log_.starts;
    log_.orientation = orientation;
    if (!available_) return {};
    image_ = QImage(4 * dpi_, 3 * dpi_, QImage::Format_Grayscale8);
    image_.fill(Qt::white);
    image_.setDotsPerMeterX(static_cast<int>(std::lround(dpi_ / 0.0254)));
    image_.setDotsPerMeterY(static_cast<int>(std::lround(dpi_ / 0.0254)));
    painted_ = image_.copy();
    PageSurface page{&image_, corner_, {}, std::nullopt};
    if (raster_)
      page.raster = {image_.bits(), image_.width(), image_.height(), image_.bytesPerLine()};
    return page;
  }
  void finish() override {
    ++log_.finishes;
    if (image_ != painted_) log_.drawn_outside = true;
  }
  bool keeps_blank_page() const override { return false; }
  void paint(const std::function<void()>& draw) override {
    ++log_.paints;
    if (image_ != painted_) log_.drawn_outside = true;
    draw();
    painted_ = image_.copy();  // a deep copy: the painter writes into the image's own pixels
  }

 private:
  QImage& image_;
  TargetLog& log_;
  int dpi_;
  bool available_;
  QPointF corner_;
  bool raster_;     // whether the page offers its dots for inking straight into
  QImage painted_;  // the page as the last paint left it
};

class PainterDeviceTest : public testing::Test {
 protected:
  void SetUp() override { application_ = offscreen_application_if_none(); }

  std::unique_ptr<PrintDevice> open(int dpi = 100, bool available = true, QPointF corner = {},
                                    bool raster = false) {
    return make_painter_device(
        std::make_unique<ImagePage>(image, log, dpi, available, corner, raster));
  }
  std::unique_ptr<PrintDevice> open_raster(QPointF corner = {}) {
    return open(100, true, corner, true);
  }

  bool dark(int x, int y) const { return qGray(image.pixel(x, y)) < 100; }
  bool white(int x, int y) const { return qGray(image.pixel(x, y)) > 235; }

  // The rows [top, bottom] of the ink within columns [left, right], or {-1, -1}.
  std::pair<int, int> ink_rows(int left, int right) const {
    int top = -1, bottom = -1;
    for (int y = 0; y < image.height(); ++y)
      for (int x = left; x <= right; ++x)
        if (qGray(image.pixel(x, y)) < 128) {
          if (top < 0) top = y;
          bottom = y;
        }
    return {top, bottom};
  }

  QImage image;
  TargetLog log;

 private:
  std::unique_ptr<QGuiApplication> application_;
};

TEST_F(PainterDeviceTest, BeginsThePageLazilyInTheOrientationSetLast) {
  auto device = open();
  device->set_orientation(Orientation::portrait);
  device->set_orientation(Orientation::landscape);
  EXPECT_EQ(log.starts, 0);
  const Resolution dpi = device->dots_per_inch();
  EXPECT_EQ(dpi.across, 100);
  EXPECT_EQ(dpi.down, 100);
  EXPECT_EQ(log.starts, 1);
  EXPECT_EQ(log.orientation, Orientation::landscape);
  device->set_orientation(Orientation::portrait);  // too late: the page has begun
  device->close();
  EXPECT_EQ(log.starts, 1);
  EXPECT_EQ(log.finishes, 1);
}

TEST_F(PainterDeviceTest, ClosingBeforeAnyDrawingPrintsNoPage) {
  auto device = open();
  device->set_orientation(Orientation::landscape);
  device->close();
  EXPECT_EQ(log.starts, 0);
  EXPECT_EQ(log.finishes, 0);
}

TEST_F(PainterDeviceTest, ADeviceThatCannotBeginDrawsNothingAndHandsNothingOn) {
  auto device = open(100, false);
  EXPECT_EQ(device->dots_per_inch().across, 0);
  device->set_pen_width(3);
  device->move_to(10, 10);
  device->line_to(100, 100);
  device->pie({0, 0, 100, 100}, 0, 1);
  device->select_font({"Arial", 12, false});
  device->print_text("text");
  device->close();
  EXPECT_EQ(log.starts, 1);
  EXPECT_EQ(log.finishes, 0);
}

TEST_F(PainterDeviceTest, PenWidthsAreWholeDotsAndZeroIsOne) {
  // clang-format off
  const struct { int pen, first, last; } cases[] = {
      {0, 50, 50},
      {1, 50, 50},
      {-4, 50, 50},
      {3, 49, 51},
      {15, 43, 57},
  };
  // clang-format on
  for (const auto& c : cases) {
    auto device = open();
    device->set_pen_width(c.pen);
    device->move_to(50, 100);
    device->line_to(50, 200);
    device->close();
    for (int x = c.first; x <= c.last; ++x) EXPECT_TRUE(dark(x, 150)) << c.pen << " at " << x;
    EXPECT_TRUE(white(c.first - 1, 150)) << c.pen;
    EXPECT_TRUE(white(c.last + 1, 150)) << c.pen;
    EXPECT_TRUE(dark(50, 100 - c.last + 50)) << "round cap of pen " << c.pen;
  }
}

TEST_F(PainterDeviceTest, CoordinatesStartAtThePrintableAreasCorner) {
  auto device = open(100, true, QPointF(30, 20));
  device->set_pen_width(1);
  device->move_to(20, 10);
  device->line_to(100, 10);
  device->select_font({"Arial", 12, false});
  device->move_to(0, 50);
  device->print_text("H");
  device->close();
  EXPECT_TRUE(dark(50, 30));
  EXPECT_TRUE(dark(130, 30));
  EXPECT_TRUE(white(49, 30));
  EXPECT_TRUE(white(131, 30));
  EXPECT_TRUE(white(80, 10));
  const auto [top, bottom] = ink_rows(25, 45);
  EXPECT_GE(top, 70);
  EXPECT_LT(bottom, 70 + 17);  // 12 points at 100 dpi: an em of 17 dots
}

TEST_F(PainterDeviceTest, WedgesAndArcsRunCounterClockwiseFromThreeOClock) {
  auto device = open();
  device->set_pen_width(3);
  device->pie({100, 50, 300, 250}, 0, static_cast<float>(pi / 2));  // centre (200, 150), r 100
  device->arc({150, 100, 250, 200}, static_cast<float>(pi), static_cast<float>(3 * pi / 2));
  device->close();
  EXPECT_TRUE(dark(250, 100)) << "wedge: upper right quarter";
  EXPECT_TRUE(white(250, 200)) << "not the lower right";
  EXPECT_TRUE(white(150, 100)) << "not the upper left";
  // The arc of radius 50 from 9 o'clock down to 6 o'clock: lower left only.
  EXPECT_TRUE(dark(165, 185));
  EXPECT_TRUE(white(165, 115));
  EXPECT_TRUE(white(235, 185));
}

TEST_F(PainterDeviceTest, EllipsesFillHollowOrErase) {
  auto device = open();
  device->set_pen_width(1);
  device->ellipse({300, 250, 100, 50}, Colour::black, Fill::solid);  // corners in any order
  device->ellipse({150, 100, 250, 200}, Colour::white, Fill::solid);
  device->ellipse({10, 10, 60, 30}, Colour::black, Fill::hollow);
  device->close();
  EXPECT_TRUE(dark(120, 150));
  EXPECT_TRUE(white(200, 150)) << "erased by the white disc";
  EXPECT_TRUE(white(320, 150)) << "outside the box";
  EXPECT_TRUE(dark(10, 20));
  EXPECT_TRUE(dark(35, 10));
  EXPECT_TRUE(white(35, 20)) << "hollow";
}

TEST_F(PainterDeviceTest, TextHangsFromItsCellCornerAndTheNextLineStartsAtTheLeftEdge) {
  auto device = open(300);
  const int em = font_em_height_dots(12, 300);  // 50 dots
  device->select_font({"Arial", 12, false});
  device->move_to(400, 200);
  device->print_text("H");
  device->print_text("H");
  device->close();
  const auto [first_top, first_bottom] = ink_rows(395, 460);
  const auto [second_top, second_bottom] = ink_rows(0, 60);
  // A capital stands on the baseline, its top below the cell top by the internal leading
  // and the room above capitals: a fifth of the em in this face.
  EXPECT_NEAR(first_top - 200, 0.22 * em, 0.06 * em);
  EXPECT_NEAR(first_bottom - first_top, 0.69 * em, 0.06 * em);
  // The line height is the cell plus the external leading: 1.15 em.
  EXPECT_NEAR(second_top - first_top, 1.15 * em, 0.03 * em);
  EXPECT_EQ(second_bottom - second_top, first_bottom - first_top);
}

TEST_F(PainterDeviceTest, FontSizesFollowTheDeviceResolution) {
  int heights[2] = {};
  int i = 0;
  for (int dpi : {150, 300}) {
    auto device = open(dpi);
    device->select_font({"Arial", 24, true});
    device->move_to(10, 10);
    device->print_text("H");
    device->close();
    const auto [top, bottom] = ink_rows(0, image.width() - 1);
    heights[i++] = bottom - top;
  }
  EXPECT_NEAR(heights[1], 2 * heights[0], 2);
}

// A ring of `bars` wedges on a 260-dot box centred at (200, 150), then, when `hole`, a white
// disc over the wedges' tips; `flush_first` draws an arc off the page in between, so the
// wedges are drawn whole before the disc.
void draw_ring(PrintDevice& device, int bars, bool hole, bool flush_first) {
  device.set_pen_width(3);
  for (int i = 0; i < bars; ++i)
    device.pie({70, 20, 330, 280}, static_cast<float>(2 * pi * i / bars),
               static_cast<float>(2 * pi * i / bars + pi / bars));
  if (flush_first) device.arc({-50, -50, -40, -40}, 0, 1);
  if (hole) device.ellipse({100, 50, 300, 250}, Colour::white, Fill::solid);
  device.close();
}

// How many dots differ by more than `shades` and by how much at most.
std::pair<int, int> difference(const QImage& a, const QImage& b, int shades = 0) {
  int count = 0, largest = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) {
      const int d = std::abs(qGray(a.pixel(x, y)) - qGray(b.pixel(x, y)));
      count += d > shades;
      largest = std::max(largest, d);
    }
  return {count, largest};
}

TEST_F(PainterDeviceTest, WedgesUnderAWhiteDiscLookAsWhenDrawnWhole) {
  for (const bool raster : {false, true})
    for (const int bars : {3, 40, 216}) {
      draw_ring(*open(100, true, {}, raster), bars, true, true);
      const QImage whole = image;
      draw_ring(*open(100, true, {}, raster), bars, true, false);
      const auto [count, largest] = difference(whole, image);
      // Only antialiased edge dots may differ, by a shade no print shows.
      EXPECT_LE(largest, 8) << bars;
      EXPECT_LT(count, whole.width() * whole.height() / 100) << bars;
      EXPECT_TRUE(white(200, 150)) << bars;
    }
}

TEST_F(PainterDeviceTest, WedgesWhoseOutlinesCloseEveryGapPrintAsTheirBand) {
  // 1000 bars on a radius of 130 dots: gaps of 0.4 dot under 3-dot outlines.
  draw_ring(*open(), 1000, false, true);
  const QImage whole = image;
  draw_ring(*open(), 1000, false, false);
  for (int r = 0; r <= 130; r += 10) {
    EXPECT_TRUE(dark(200 + r, 150)) << r;
    EXPECT_TRUE(dark(200, 150 - r)) << r;
  }
  EXPECT_TRUE(white(200 + 134, 150));
  // Far from the rim, every dot is the same.
  for (int y = 30; y < 270; y += 7)
    for (int x = 80; x < 320; x += 7)
      if (std::hypot(x - 200.0, y - 150.0) < 127) {
        EXPECT_EQ(whole.pixel(x, y), image.pixel(x, y)) << x << "," << y;
      }
  // A few wedges with wide gaps are drawn one by one.
  draw_ring(*open(), 12, false, false);
  EXPECT_TRUE(white(292, 112)) << "the gap from 15 to 30 degrees";
}

TEST_F(PainterDeviceTest, WedgesInkedStraightIntoARasterLookAsQtPaintsThem) {
  // Rings of narrow and wide wedges, with and without a disc over their tips, and a ring
  // partly off the page, which is cut at the page's edges.
  for (const int bars : {5, 40, 100}) {
    for (const QPointF corner : {QPointF(0, 0), QPointF(-120, 60)}) {
      draw_ring(*open(100, true, corner, false), bars, true, false);
      const QImage painted = image;
      draw_ring(*open_raster(corner), bars, true, false);
      // Both cover each dot by its area; Qt's sums are coarser.
      const auto [count, largest] = difference(painted, image, 2);
      EXPECT_LE(largest, 48) << bars << " at " << corner.x();
      EXPECT_LT(count, painted.width() * painted.height() / 100) << bars << " at " << corner.x();
    }
  }
}

// A file target paints where the painting is quickest (a PNG sheet in a thread of Qt's
// pool), which only works when every drawing goes through the target's paint.
TEST_F(PainterDeviceTest, EveryDrawingIsHandedToTheTargetsPaint) {
  // clang-format off
  const struct { const char* name; std::function<void(PrintDevice&)> draw; } drawings[] = {
    {"line",    [](PrintDevice& d) { d.move_to(10, 10); d.line_to(300, 200); }},
    {"ellipse", [](PrintDevice& d) { d.ellipse({50, 50, 250, 200}, Colour::black, Fill::solid); }},
    {"arc",     [](PrintDevice& d) { d.arc({50, 50, 250, 200}, 0, 2); }},
    {"text",    [](PrintDevice& d) { d.select_font({"Arial", 20, false}); d.print_text("Mm"); }},
    {"wedges",  [](PrintDevice& d) { d.pie({50, 50, 250, 200}, 0, 1); d.pie({50, 50, 250, 200}, 2, 3); }},
    {"ring",    [](PrintDevice& d) { draw_ring(d, 1000, false, false); }},
  };
  // clang-format on
  for (const auto& drawing : drawings)
    for (const bool raster : {false, true}) {
      log = {};
      const auto device = open(100, true, {}, raster);
      drawing.draw(*device);
      device->close();
      EXPECT_GE(log.paints, 1) << drawing.name;
      EXPECT_FALSE(log.drawn_outside) << drawing.name;
      QImage blank(image.size(), image.format());
      blank.fill(Qt::white);
      EXPECT_NE(image, blank) << drawing.name << ": nothing was drawn";
    }
}

}  // namespace
}  // namespace veltrane
