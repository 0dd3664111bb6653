#include "print/print_job.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <sstream>

#include "model/number_format.h"
#include "print/json_text.h"
#include "print/trace_device.h"

namespace veltrane {
namespace {

// Runs `draw` on a trace job at 600 dpi and returns the lines after the page line.
template <typename Draw>
std::string traced(Draw draw) {
  std::ostringstream out;
  PrintJob job = PrintJob::open_with_dialog(trace_opener(out));
  job.set_orientation(Orientation::portrait);
  job.dots_per_inch();
  draw(job);
  job.close();
  const std::string text = out.str();
  const auto start = text.find('\n', text.find("page")) + 1;
  return text.substr(start, text.size() - start - std::string("close\n").size());
}

TEST(PrintJob, CancelledChoiceDrawsNothing) {
  const PrintOpener cancel = [](std::string_view) { return nullptr; };
  PrintJob job = PrintJob::open_with_dialog(cancel);
  EXPECT_FALSE(job.is_open());
  job.set_orientation(Orientation::landscape);
  EXPECT_EQ(job.dots_per_inch().across, 0);
  job.move_to(1, 1);
  job.print_text("x");
  job.close();
  job.close();
}

TEST(PrintJob, RoundsToTheNearestDotTiesToEven) {
  EXPECT_EQ(traced([](PrintJob& j) {
              j.move_to(0.5, 1.5);
              j.line_to(2.5, -0.5);
              j.line_to(4724.4, -2.5000001);
            }),
            "move 0 2\nline 2 0\nline 4724 -3\n");
}

TEST(PrintJob, BoxesAndAnglesPassInSinglePrecision) {
  // 2.50000001 is 2.5 as a float, and 2.5 rounds to 2.
  EXPECT_EQ(traced([](PrintJob& j) {
              j.ellipse(2.50000001f, 3.5f, 10.49f, 11.5f, Colour::white, Fill::solid);
              j.arc(0, 0, 10, 10, static_cast<float>(3.141592653589793), 4.712389f);
              j.pie(0, 0, 10, 10, 0, 0.1f);
            }),
            "ellipse 2 4 10 12 white solid\narc 0 0 10 10 3.1415927 4.712389\n"
            "pie 0 0 10 10 0 0.1\n");
}

TEST(PrintJob, ShapesBeyondTheDeviceAreLeftOutWhole) {
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_EQ(traced([&](PrintJob& j) {
              draw_line(j, {0, 0}, {NAN, 1});
              draw_line(j, {inf, 0}, {1, 1});
              draw_line(j, {0, 0}, {2e9, 1});
              draw_text(j, {NAN, 0}, "gone");
              j.ellipse(0, 0, 1e30f, 1, Colour::black, Fill::hollow);
              j.pie(0, 0, 1, 1, NAN, 1);
              draw_line(j, {1073741824.0, -1073741824.0}, {0, 0});
              draw_text(j, {3, 4}, "kept");
              draw_text(j, {3, 4}, "");
            }),
            "move 1073741824 -1073741824\nline 0 0\nmove 3 4\ntext \"kept\"\nmove 3 4\n");
}

TEST(PageScale, FoldsInResolutionAndCorrection) {
  const PageScale scale = make_page_scale({600, 600}, 1.0, 1.0);
  EXPECT_NEAR(scale.dots_per_mm_x, 23.622, 0.001);
  EXPECT_EQ(std::nearbyint(200 * scale.dots_per_mm_x), 4724);
  const PageScale corrected = make_page_scale({600, 300}, 1.02, 0);
  EXPECT_DOUBLE_EQ(corrected.dots_per_mm_x, 600 * 1.02 / 25.4);
  EXPECT_EQ(corrected.dots_per_mm_y, 0);
}

TEST(PrintFont, EmHeightFollowsPointsAndResolution) {
  // clang-format off
  const struct { float points; int dpi; int em; } cases[] = {
      {12, 600, 100}, {0, 600, 67}, {18, 600, 150}, {10, 300, 42},
      {-12, 600, 67}, {NAN, 600, 67}, {INFINITY, 600, 67}, {1e6f, 600, 67},
      {0.01f, 72, 1},
  };
  // clang-format on
  for (const auto& c : cases) EXPECT_EQ(font_em_height_dots(c.points, c.dpi), c.em) << c.points;
  EXPECT_EQ(make_print_font(std::string(40, 'F'), 12, true).face.size(), 31u);
}

TEST(TraceText, EscapesAsJson) {
  EXPECT_EQ(json_string("a\"b\\c\n\x01\u00B0"), "\"a\\\"b\\\\c\\n\\u0001\u00B0\"");
  EXPECT_EQ(shortest_number(12.12f), "12.12");
  EXPECT_EQ(shortest_number(0.0f), "0");
}

}  // namespace
}  // namespace veltrane
