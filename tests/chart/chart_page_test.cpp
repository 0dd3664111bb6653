#include "chart/chart_page.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <sstream>

#include "app/read_fields.h"
#include "app/window_fields.h"
#include "golden.h"
#include "model/geometry.h"
#include "print/trace_device.h"

#ifndef _WIN32
#include <unistd.h>
#endif

namespace veltrane {
namespace {

constexpr double nan = std::numeric_limits<double>::quiet_NaN();
constexpr double inf = std::numeric_limits<double>::infinity();

struct DotLine {
  long long x1, y1, x2, y2;
};

// Keeps every coordinate a page hands to its device.
struct Recording {
  std::vector<DotLine> lines;
  std::vector<long long> coordinates;
  std::size_t texts = 0;
};

class RecordingDevice final : public PrintDevice {
 public:
  explicit RecordingDevice(Recording& out) : out_(out) {}
  void set_orientation(Orientation orientation) override {
    landscape_ = orientation == Orientation::landscape;
  }
  Resolution dots_per_inch() override { return {600, 600}; }
  void set_pen_width(int dots) override { out_.coordinates.push_back(dots); }
  void move_to(int x, int y) override {
    x_ = x;
    y_ = y;
    out_.coordinates.insert(out_.coordinates.end(), {x, y});
  }
  void line_to(int x, int y) override {
    out_.lines.push_back({x_, y_, x, y});
    move_to(x, y);
  }
  void ellipse(DotBox b, Colour, Fill) override { box(b); }
  void arc(DotBox b, float, float) override { box(b); }
  void pie(DotBox b, float, float) override { box(b); }
  void select_font(const PrintFont&) override {}
  void print_text(std::string_view) override { ++out_.texts; }
  void close() override { EXPECT_TRUE(landscape_); }

 private:
  void box(DotBox b) { out_.coordinates.insert(out_.coordinates.end(), {b.x1, b.y1, b.x2, b.y2}); }
  Recording& out_;
  long long x_ = 0;
  long long y_ = 0;
  bool landscape_ = false;
};

Recording record(const ParameterSet& set, const Analysis& analysis) {
  Recording recording;
  print_chart_page(set, analysis,
                   [&](std::string_view) { return std::make_unique<RecordingDevice>(recording); });
  return recording;
}

ParameterSet inputs(double d, double ri, double ro) {
  ParameterSet set;
  read_parameters(set, initial_main_window_fields());
  set.pivot_to_spindle = d;
  set.inner_groove_radius = ri;
  set.outer_groove_radius = ro;
  compute_alignment(set);
  return set;
}

struct DotFrame {
  double left, top, right, bottom;
};

DotFrame in_dots(const FrameMm& f, double margin) {
  const double k = 600 / 25.4;
  return {f.left * k - margin, f.top * k - margin, f.right * k + margin, f.bottom * k + margin};
}

bool inside(const DotFrame& f, double x, double y) {
  return x >= f.left && x <= f.right && y >= f.top && y <= f.bottom;
}

// Lines that enter a plot's interior must lie wholly within its frame: the curves are cut
// at the frame, and nothing else is drawn across it.
std::vector<std::string> frame_problems(const Recording& recording, std::size_t& inside_lines,
                                        const Analysis& analysis) {
  std::vector<std::string> problems;
  for (const FrameMm& frame :
       {error_plot_frame_for(legend_rows(analysis)), distortion_plot_frame}) {
    const DotFrame interior = in_dots(frame, -2);
    const DotFrame outline = in_dots(frame, 1);
    for (const DotLine& l : recording.lines) {
      bool enters = false;
      for (int i = 0; i <= 64 && !enters; ++i) {
        const double t = i / 64.0;
        enters = inside(interior, static_cast<double>(l.x1) + t * static_cast<double>(l.x2 - l.x1),
                        static_cast<double>(l.y1) + t * static_cast<double>(l.y2 - l.y1));
      }
      if (!enters) continue;
      ++inside_lines;
      if (!inside(outline, static_cast<double>(l.x1), static_cast<double>(l.y1)) ||
          !inside(outline, static_cast<double>(l.x2), static_cast<double>(l.y2)))
        problems.push_back("line " + std::to_string(l.x1) + ' ' + std::to_string(l.y1) + ' ' +
                           std::to_string(l.x2) + ' ' + std::to_string(l.y2) + " leaves its frame");
    }
  }
  return problems;
}

TEST(ChartPage, MatchesTheGoldenTrace) {
#ifdef _WIN32
  // The curves come from the C library's asin and tan, whose last bits differ between
  // libraries; at the initial inputs Stevenson A's null mark sits exactly on the frame's
  // edge, so those bits decide a clipped dot. The frame and clipping tests run everywhere.
  GTEST_SKIP() << "the golden trace is made with glibc's asin and tan";
#endif
  ParameterSet set;
  read_parameters(set, initial_main_window_fields());
  std::ostringstream out;
  print_chart_page(set, analyse_alignments(set, {}), trace_opener(out));
  EXPECT_EQ(out.str(), read_golden("chart_default.trace"));
}

#ifndef _WIN32
// Sets a locale whose decimal point is a comma, as a German desktop has (the Qt file device
// sets the desktop's locale); when the system has none, compiles one into a temporary
// folder. False when neither works.
bool set_comma_decimal_locale() {
  if (std::setlocale(LC_ALL, "de_DE.UTF-8")) return true;
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("veltrane-locales-" + std::to_string(getpid()));
  const std::string make =
      "localedef -i de_DE -f UTF-8 '" + (folder / "de_DE.UTF-8").string() + "' >/dev/null 2>&1";
  std::error_code failed;
  std::filesystem::create_directories(folder, failed);
  if (failed || std::system(make.c_str()) == -1) return false;
  setenv("LOCPATH", folder.c_str(), 1);
  const bool set = std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
  unsetenv("LOCPATH");
  std::filesystem::remove_all(folder, failed);
  return set;
}

TEST(ChartPage, NumbersIgnoreTheLocale) {
  if (!set_comma_decimal_locale()) GTEST_SKIP() << "no comma-decimal locale can be made here";
  ASSERT_STREQ(std::localeconv()->decimal_point, ",");
  ParameterSet set;
  read_parameters(set, initial_main_window_fields());
  std::ostringstream out;
  print_chart_page(set, analyse_alignments(set, {}), trace_opener(out));
  std::setlocale(LC_ALL, "C");
  EXPECT_EQ(out.str(), read_golden("chart_default.trace"));
}
#endif

TEST(ChartPage, CurvesStayInsideTheirFramesForAnyInput) {
  // clang-format off
  const struct { const char* what; double d, ri, ro, step, v; double arm_length, arm_offset;
                 double correction; } cases[] = {
      {"initial",               209, 57.5, 146.05, 1, 100, 0, 0, 1},
      {"fine step",             209, 57.5, 146.05, 0.001, 100, 0, 0, 1},
      {"Ri = Ro",               209, 57.5, 57.5, 1, 100, 0, 0, 1},
      {"Ri > Ro",               209, 146.05, 57.5, 1, 100, 0, 0, 1},
      {"nulls off the record",  240, 80, 100, 1, 100, 250, 30, 1},
      {"no null radii",         209, 57.5, 146.05, 1, 100, 230, 22, 1},
      {"unreachable radii",     209, 57.5, 600, 2, 100, 0, 0, 1},
      {"nothing reachable",     209, 1000, 2000, 10, 100, 0, 0, 1},
      {"pivot 0",               0, 57.5, 146.05, 1, 100, 0, 0, 1},
      {"inner radius 0",        209, 0, 146.05, 1, 100, 0, 0, 1},
      {"huge pivot",            1e300, 57.5, 146.05, 1, 100, 0, 0, 1},
      {"huge radii",            209, 1e300, 2e300, 1e298, 100, 0, 0, 1},
      {"tiny span",             209, 100, 100.000000001, 1e-12, 100, 0, 0, 1},
      {"infinite distortion",   209, 57.5, 146.05, 1, 1e308, 0, 0, 1},
      {"huge arm",              209, 57.5, 146.05, 1, 100, 1e300, 1e-300, 1},
      {"arm along the record",  209, 57.5, 146.05, 1, 100, 209, 89, 1},
      {"pivot not finite",      inf, 57.5, 146.05, 1, 100, 0, 0, 1},
      {"pivot not a number",    nan, 57.5, 146.05, 1, 100, 0, 0, 1},
      {"radius not a number",   209, nan, 146.05, 1, 100, 0, 0, 1},
      {"negative radii",        209, -146.05, -57.5, 1, 100, 0, 0, 1},
      {"correction 0",          209, 57.5, 146.05, 1, 100, 0, 0, 0},
      {"correction -1",         209, 57.5, 146.05, 1, 100, 0, 0, -1},
      {"correction huge",       209, 57.5, 146.05, 1, 100, 0, 0, 1e300},
  };
  // clang-format on
  const long long page_x = std::llround(297 / 25.4 * 600);
  const long long page_y = std::llround(216 / 25.4 * 600);
  for (const auto& c : cases) {
    ParameterSet set = inputs(c.d, c.ri, c.ro);
    set.correction_x = set.correction_y = c.correction;
    AnalysisOptions options;
    options.step_mm = c.step;
    options.velocity_mm_per_s = c.v;
    if (c.arm_length != 0) {
      options.as_given = ArmAsGiven{c.arm_length, c.arm_offset};
      // The chosen alignment mounted as far off as the arm is from it, among custom nulls.
      options.mounting_error =
          MountingError{c.arm_length - set.effective_length, c.arm_offset - set.offset_angle};
      set.alignment = alignment_custom_nulls;
      set.custom_null_radius_1 = set.inner_groove_radius + 5;
      set.custom_null_radius_2 = set.outer_groove_radius - 20;
      compute_alignment(set);
    }
    const Analysis analysis = analyse_alignments(set, options);
    const Recording recording = record(set, analysis);
    EXPECT_LT(recording.lines.size(), 200'000u) << c.what;
    for (long long v : recording.coordinates) {
      ASSERT_LE(std::llabs(v), 1LL << 30) << c.what;
    }
    if (c.correction != 1) continue;
    EXPECT_GT(recording.texts, analysis.radii_mm.empty() ? 6u : 10u) << c.what;
    for (const DotLine& l : recording.lines) {
      ASSERT_TRUE(l.x1 >= 0 && l.x2 >= 0 && l.x1 <= page_x && l.x2 <= page_x) << c.what;
      ASSERT_TRUE(l.y1 >= 0 && l.y2 >= 0 && l.y1 <= page_y && l.y2 <= page_y) << c.what;
    }
    std::size_t inside_lines = 0;
    for (const std::string& problem : frame_problems(recording, inside_lines, analysis))
      ADD_FAILURE() << c.what << ": " << problem;
    // With radii at least the zero lines and the grids; without, empty frames.
    EXPECT_EQ(inside_lines > 0, !analysis.radii_mm.empty()) << c.what;
  }
}

TEST(ChartPage, MoreLegendRowsLowerTheErrorPlot) {
  ParameterSet set = inputs(222, 57.5, 146.05);
  const Analysis three = analyse_alignments(set, {});
  AnalysisOptions options;
  options.as_given = ArmAsGiven{240, 23.5};
  const Analysis four = analyse_alignments(set, options);
  set.alignment = alignment_custom_nulls;
  set.custom_null_radius_1 = 66;
  set.custom_null_radius_2 = 121;
  compute_alignment(set);
  const Analysis five = analyse_alignments(set, options);
  options.mounting_error = MountingError{0.5, 0.5};
  const Analysis six = analyse_alignments(set, options);
  // An arm given by its length and offset has a long text: in the right column it fits, in
  // the left one it takes the row.
  // clang-format off
  const struct { const Analysis& analysis; std::size_t rows; double top; } cases[] = {
      {three, 2, 43}, {four, 2, 43}, {five, 3, 48.5}, {six, 4, 54},
  };
  // clang-format on
  for (const auto& c : cases) {
    EXPECT_EQ(legend_rows(c.analysis), c.rows) << c.analysis.arms.size();
    const FrameMm frame = error_plot_frame_for(c.rows);
    EXPECT_DOUBLE_EQ(frame.top, c.top) << c.rows;
    EXPECT_EQ(frame.bottom, error_plot_frame.bottom);
  }
  EXPECT_DOUBLE_EQ(error_plot_frame_for(1000).top, 109 - 66.0 / 3);
}

TEST(ChartPage, ClipsSegmentsToTheFrame) {
  const FrameMm f{10, 20, 110, 70};
  // clang-format off
  const struct { double ax, ay, bx, by; bool kept; double cx, cy, dx, dy; } cases[] = {
      {20, 30, 50, 60,      true, 20, 30, 50, 60},     // inside
      {0, 45, 120, 45,      true, 10, 45, 110, 45},    // across, horizontal
      {60, 0, 60, 100,      true, 60, 20, 60, 70},     // across, vertical
      {60, 45, 60, -1e300,  true, 60, 45, 60, 20},     // to very far away
      {0, 0, 5, 100,        false, 0, 0, 0, 0},        // left of the frame
      {0, 30, 20, 0,        false, 0, 0, 0, 0},        // past a corner
      {10, 20, 110, 70,     true, 10, 20, 110, 70},    // the diagonal itself
      {60, 45, 60, 45,      true, 60, 45, 60, 45},     // a point inside
      {0, 10, 120, 80,      true, 17.142857142857142, 20, 102.85714285714285, 70},
      {nan, 30, 50, 60,     false, 0, 0, 0, 0},
      {20, 30, inf, 60,     false, 0, 0, 0, 0},
      {-1e308, 30, 1e308, 30, false, 0, 0, 0, 0},      // its length is beyond the doubles
  };
  // clang-format on
  for (const auto& c : cases) {
    double ax = c.ax, ay = c.ay, bx = c.bx, by = c.by;
    ASSERT_EQ(clip_to_frame(f, ax, ay, bx, by), c.kept) << c.ax << ' ' << c.ay;
    if (!c.kept) continue;
    EXPECT_NEAR(ax, c.cx, 1e-9);
    EXPECT_NEAR(ay, c.cy, 1e-9);
    EXPECT_NEAR(bx, c.dx, 1e-9);
    EXPECT_NEAR(by, c.dy, 1e-9);
  }
}

TEST(ChartPage, RoundAxesAndLabels) {
  // clang-format off
  const struct { double low, high, first, last, step; int decimals; } values[] = {
      {-2.129, 1.217, -3, 2, 1, 0},
      {-1.193, 0.873, -1.5, 1, 0.5, 1},
      {0, 0, -1, 1, 0.5, 1},
      {0, 0.04, 0, 0.04, 0.01, 2},
      {-25, 0, -25, 0, 5, 0},
      {0, 13, 0, 15, 2.5, 1},
      {0, 3e9, 0, 3e9, 5e8, -1},
  };
  // clang-format on
  for (const auto& c : values) {
    const AxisScale axis = round_axis(c.low, c.high);
    ASSERT_GE(axis.ticks.size(), 2u) << c.low << ' ' << c.high;
    EXPECT_DOUBLE_EQ(axis.low, c.first) << c.low << ' ' << c.high;
    EXPECT_DOUBLE_EQ(axis.high, c.last) << c.low << ' ' << c.high;
    EXPECT_DOUBLE_EQ(axis.ticks[1] - axis.ticks[0], c.step) << c.low << ' ' << c.high;
    EXPECT_EQ(axis.decimals, c.decimals) << c.low << ' ' << c.high;
  }
  const AxisScale radius = radius_axis(57.5, 146.05);
  EXPECT_EQ(radius.ticks, (std::vector<double>{60, 80, 100, 120, 140}));
  EXPECT_EQ(radius.low, 57.5);
  EXPECT_EQ(radius.high, 146.05);
  EXPECT_TRUE(round_axis(-1e308, 1e308).ticks.size() >= 2);
  EXPECT_TRUE(radius_axis(-1e308, 1e308).ticks.size() >= 2);
  EXPECT_TRUE(radius_axis(100, 100.000000001).ticks.size() <= 40);

  // clang-format off
  const struct { double value; int decimals; const char* text; } labels[] = {
      {-2, 0, "\u22122"}, {2.5, 1, "2.5"}, {-0.0, 1, "0.0"}, {-1e-17, 2, "0.00"},
      {0.25, 2, "0.25"}, {3e9, -1, "3e+09"}, {-5e-9, -1, "\u22125e-09"},
  };
  // clang-format on
  for (const auto& c : labels) EXPECT_EQ(tick_label(c.value, c.decimals), c.text);
}

}  // namespace
}  // namespace veltrane
