#include "template/template_page.h"

#include <gtest/gtest.h>

#include <sstream>

#include "app/field_values.h"
#include "app/read_fields.h"
#include "golden.h"
#include "print/mm_drawing.h"
#include "print/trace_device.h"
#include "ui/control_ids.h"

namespace veltrane {
namespace {

std::string template_trace(const FieldValues& fields, int dpi = 600) {
  ParameterSet set;
  read_parameters(set, fields);
  std::ostringstream out;
  print_template_page(set, trace_opener(out, dpi));
  return out.str();
}

std::string template_trace_with(int id, const char* text) {
  FieldValues fields = initial_main_window_fields();
  fields.set_text(id, text);
  return template_trace(fields);
}

bool contains(const std::string& trace, const std::string& lines) {
  return trace.find(lines) != std::string::npos;
}

TEST(TemplatePage, MatchesTheGoldenTrace) {
  EXPECT_EQ(template_trace(initial_main_window_fields()), read_golden("template_default.trace"));
}

TEST(TemplatePage, DotLevelExamples) {
  const std::string trace = template_trace(initial_main_window_fields());
  // clang-format off
  const char* expected[] = {
      "open \"Print Job\"\npage landscape 600 600\npen 2\n",
      "move 24 24\nline 24 4866\n",                    // left reference line
      "move 4748 0\nline 4748 118\n",                  // tick of X=200mm
      "move 2386 2445\nline 2386 2327\nmove 2445 2386\nline 2327 2386\n",  // cross at (101, 101)
      "move 1016 472\nline 5953 472\n",                // spindle to pivot
      "font Arial 12 regular\n",
      "font Arial 16 italic\nmove 2244 874\ntext \" - L\u00F6fgren A\"\n",
      "text \"Inner groove radius = 57.500 (DIN)\"\n",
      "text \"Outer groove radius = 146.050 (DIN/IEC)\"\n",
      "text \"Offset angle = 23.752\u00B0\"\nclose\n",
  };
  // clang-format on
  for (const char* lines : expected) EXPECT_TRUE(contains(trace, lines)) << lines;
}

TEST(TemplatePage, CorrectionFactorsScaleAxesAndFonts) {
  const std::string wider = template_trace_with(id_correction_x, "1.01");
  EXPECT_TRUE(contains(wider, "move 4796 0\nline 4796 118\n"));
  EXPECT_TRUE(contains(wider, "font Arial 12 regular\n"));
  const std::string taller = template_trace_with(id_correction_y, "1.5");
  EXPECT_TRUE(contains(taller, "font Arial 18 regular\n"));
  EXPECT_TRUE(contains(taller, "font Arial 24 italic\n"));
  EXPECT_TRUE(contains(template_trace_with(id_correction_y, ""), "font Arial 0 regular\n"));
}

TEST(TemplatePage, StandardSuffixesByExactRadius) {
  // clang-format off
  const struct { int id; const char* text; const char* line; } cases[] = {
      {id_inner_radius, "60.325", "\"Inner groove radius = 60.325 (IEC)\""},
      {id_inner_radius, "63",     "\"Inner groove radius = 63.000\""},
      {id_inner_radius, "57.50",  "\"Inner groove radius = 57.500 (DIN)\""},
      {id_outer_radius, "145",    "\"Outer groove radius = 145.000\""},
      {id_id_text,      "  My arm  ", "\"  My arm - L\u00F6fgren A\""},
  };
  // clang-format on
  for (const auto& c : cases)
    EXPECT_TRUE(contains(template_trace_with(c.id, c.text), c.line)) << c.text;
}

TEST(TemplatePage, NonFiniteGeometryLeavesOutOnlyItsShapes) {
  // A distance of 0 makes the null points not a number: grids, discs and circles at the
  // null points go, the frame, the spindle and every text stay.
  const std::string trace = template_trace_with(id_pivot, "0");
  EXPECT_TRUE(contains(trace, "move 24 24\nline 24 4866\n"));
  EXPECT_TRUE(contains(trace, "text \"Pivot to spindle distance = 0.000\""));
  EXPECT_TRUE(contains(trace, "text \"Offset angle = -84.321\u00B0\""));
  EXPECT_EQ(trace.find("nan"), std::string::npos);
  // An infinite distance also loses the pivot cross, the stylus arc and the "pivot" label.
  const std::string far = template_trace_with(id_pivot, "1e9999");
  EXPECT_FALSE(contains(far, "\"pivot\""));
  EXPECT_FALSE(contains(far, "arc "));
  EXPECT_TRUE(contains(far, "text \"Pivot to spindle distance = inf\""));
}

TEST(TemplatePage, CancelledPrinterChoiceDrawsNothing) {
  ParameterSet set;
  read_parameters(set, initial_main_window_fields());
  int opened = 0;
  print_template_page(set, [&](std::string_view) {
    ++opened;
    return nullptr;
  });
  EXPECT_EQ(opened, 1);
}

TEST(NullGrid, UnrotatedGridAtAKnownPoint) {
  std::ostringstream out;
  PrintJob job = PrintJob::open_with_dialog(trace_opener(out, 254));  // 10 dots per mm
  job.dots_per_inch();
  draw_null_grid(job, {10, 10}, 43, 86, 0, 43, 20);
  job.close();
  const std::string trace = out.str();
  // clang-format off
  const char* expected[] = {
      "move 130 780\nline 730 780\n", "move 130 940\nline 730 940\n",
      "move 430 200\nline 430 940\n",                                   // radius line
      "move 130 856\nline 730 856\nmove 130 860\nline 730 860\nmove 130 864\nline 730 864\n",
      "move 340 660\nline 340 1060\n", "move 400 660\nline 400 1060\nclose\n",
  };
  // clang-format on
  for (const char* lines : expected) EXPECT_TRUE(contains(trace, lines)) << lines;
}

}  // namespace
}  // namespace veltrane
