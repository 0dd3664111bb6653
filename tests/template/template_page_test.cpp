#include "template/template_page.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <sstream>
#include <vector>

#include "app/read_fields.h"
#include "app/window_fields.h"
#include "golden.h"
#include "model/alignments.h"
#include "print/mm_drawing.h"
#include "print/text_extent.h"
#include "print/trace_device.h"

namespace veltrane {
namespace {

std::string template_trace(const MainWindowFields& fields, int dpi = 600) {
  ParameterSet set;
  read_parameters(set, fields);
  std::ostringstream out;
  print_template_page(set, trace_opener(out, dpi));
  return out.str();
}

using MainWindowText = std::string MainWindowFields::*;

std::string template_trace_with(MainWindowText field, const char* text) {
  MainWindowFields fields = initial_main_window_fields();
  fields.*field = text;
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
  const std::string wider = template_trace_with(&MainWindowFields::correction_x, "1.01");
  EXPECT_TRUE(contains(wider, "move 4796 0\nline 4796 118\n"));
  EXPECT_TRUE(contains(wider, "font Arial 12 regular\n"));
  const std::string taller = template_trace_with(&MainWindowFields::correction_y, "1.5");
  EXPECT_TRUE(contains(taller, "font Arial 18 regular\n"));
  EXPECT_TRUE(contains(taller, "font Arial 24 italic\n"));
  EXPECT_TRUE(
      contains(template_trace_with(&MainWindowFields::correction_y, ""), "font Arial 0 regular\n"));
}

TEST(TemplatePage, StandardSuffixesByExactRadius) {
  // clang-format off
  const struct { MainWindowText field; const char* text; const char* line; } cases[] = {
      {&MainWindowFields::inner_radius, "60.325", "\"Inner groove radius = 60.325 (IEC)\""},
      {&MainWindowFields::inner_radius, "63",     "\"Inner groove radius = 63.000\""},
      {&MainWindowFields::inner_radius, "57.50",  "\"Inner groove radius = 57.500 (DIN)\""},
      {&MainWindowFields::outer_radius, "145",    "\"Outer groove radius = 145.000\""},
      {&MainWindowFields::id_text,      "  My arm  ", "\"  My arm - L\u00F6fgren A\""},
  };
  // clang-format on
  for (const auto& c : cases)
    EXPECT_TRUE(contains(template_trace_with(c.field, c.text), c.line)) << c.text;
}

TEST(TemplatePage, NonFiniteGeometryLeavesOutOnlyItsShapes) {
  // A distance of 0 makes the null points not a number: grids, discs and circles at the
  // null points go, the frame, the spindle and every text stay.
  const std::string trace = template_trace_with(&MainWindowFields::pivot, "0");
  EXPECT_TRUE(contains(trace, "move 24 24\nline 24 4866\n"));
  EXPECT_TRUE(contains(trace, "text \"Pivot to spindle distance = 0.000\""));
  EXPECT_TRUE(contains(trace, "text \"Offset angle = -84.321\u00B0\""));
  EXPECT_EQ(trace.find("nan"), std::string::npos);
  // An infinite distance also loses the pivot cross, the stylus arc and the "pivot" label.
  const std::string far = template_trace_with(&MainWindowFields::pivot, "1e9999");
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

// What a trace draws, in millimetres on the sheet: its straight lines in drawing order and
// where each text starts.
struct Drawn {
  std::vector<MarkBox> lines;  // each line's two ends as a box
  std::map<std::string, std::pair<double, double>> texts;
};

Drawn drawn_in(const std::string& trace, int dpi) {
  const double mm_per_dot = 25.4 / dpi;
  Drawn drawn;
  std::istringstream lines(trace);
  std::string op;
  double x = 0, y = 0;
  while (lines >> op) {
    if (op == "move" || op == "line") {
      double to_x = 0, to_y = 0;
      lines >> to_x >> to_y;
      to_x *= mm_per_dot;
      to_y *= mm_per_dot;
      if (op == "line")
        drawn.lines.push_back(
            {std::min(x, to_x), std::min(y, to_y), std::max(x, to_x), std::max(y, to_y)});
      x = to_x;
      y = to_y;
    } else if (op == "text") {
      std::string text;
      std::getline(lines >> std::ws, text);
      drawn.texts[text.substr(1, text.size() - 2)] = {x, y};
    } else {
      std::string rest;
      std::getline(lines, rest);
    }
  }
  return drawn;
}

MarkBox union_of(const std::vector<MarkBox>& boxes, std::size_t first, std::size_t count) {
  MarkBox box = boxes.at(first);
  for (std::size_t i = first + 1; i < first + count; ++i) {
    box.left_mm = std::min(box.left_mm, boxes.at(i).left_mm);
    box.top_mm = std::min(box.top_mm, boxes.at(i).top_mm);
    box.right_mm = std::max(box.right_mm, boxes.at(i).right_mm);
    box.bottom_mm = std::max(box.bottom_mm, boxes.at(i).bottom_mm);
  }
  return box;
}

TEST(TemplateMarks, LineMarksAreTheBoundsOfTheLinesThePageDraws) {
  // The page's straight lines, in drawing order: the frame's seven lines, its three
  // crosses, the pivot cross, the spindle's cross, hash and line to the pivot, then the
  // two grids of sixteen lines each.
  // clang-format off
  // Of the reference lines a user needs the part up to the 200 mm ticks (the lines run on
  // 5 mm), of the frame's crosses the centre with 1 mm of every arm (of 2.5 mm): these
  // marks are their lines' bounds less `short_mm` at the far end, or at every end.
  const struct { const char* mark; std::size_t first, count; double short_mm; bool every_end; } line_marks[] = {
      {"the left reference line", 0, 1, 5, false},    {"the top reference line", 1, 1, 5, false},
      {"the Y=180mm tick", 2, 1, 0, false},           {"the Y=200mm tick", 3, 1, 0, false},
      {"the Y=100mm tick", 4, 1, 0, false},           {"the X=200mm tick", 5, 1, 0, false},
      {"the X=100mm tick", 6, 1, 0, false},           {"the X=100mm Y=100mm cross", 7, 2, 1.5, true},
      {"the X=200mm Y=200mm cross", 9, 2, 1.5, true}, {"the X=200mm Y=180mm cross", 11, 2, 1.5, true},
      {"the pivot cross", 13, 2, 0, false},           {"the inner null grid", 22, 16, 0, false},
      {"the outer null grid", 38, 16, 0, false},
  };
  const struct { const char* pivot; const char* alignment; const char* cx; const char* cy; } cases[] = {
      {"209",   "lofgren-a",   "1.0",  "1.0"},
      {"239.3", "lofgren-b",   "1.0",  "1.0"},
      {"222",   "stevenson-a", "1.02", "0.97"},
      {"150",   "lofgren-a",   "-1",   "1.5"},
  };
  // clang-format on
  for (const auto& c : cases) {
    MainWindowFields fields = initial_main_window_fields();
    fields.pivot = c.pivot;
    fields.correction_x = c.cx;
    fields.correction_y = c.cy;
    fields.alignment = alignment_keyed(c.alignment)->code;
    ParameterSet set;
    read_parameters(set, fields);
    const Drawn drawn = drawn_in(template_trace(fields, 1200), 1200);
    ASSERT_EQ(drawn.lines.size(), 54u) << c.pivot;

    std::map<std::string, MarkBox> marks;
    for (const TemplateMark& mark : template_marks(set)) marks[mark.name] = mark.box;
    EXPECT_EQ(marks.size(), std::size(line_marks) + 2) << "and the pivot label, the value lines";
    const double dot = 25.4 / 1200;
    for (const auto& m : line_marks) {
      ASSERT_EQ(marks.count(m.mark), 1u) << m.mark;
      MarkBox expected = union_of(drawn.lines, m.first, m.count);
      // The far end is where the scale takes it: on the left of a mirrored page.
      const double short_x = m.short_mm * std::stod(c.cx), short_y = m.short_mm * std::stod(c.cy);
      double& far_x = short_x < 0 ? expected.left_mm : expected.right_mm;
      double& near_x = short_x < 0 ? expected.right_mm : expected.left_mm;
      if (expected.right_mm - expected.left_mm > 1) far_x -= short_x;
      if (expected.bottom_mm - expected.top_mm > 1) expected.bottom_mm -= short_y;
      if (m.every_end) {
        near_x += short_x;
        expected.top_mm += short_y;
      }
      const MarkBox& box = marks[m.mark];
      EXPECT_NEAR(box.left_mm, expected.left_mm, dot) << m.mark << " at " << c.pivot;
      EXPECT_NEAR(box.top_mm, expected.top_mm, dot) << m.mark << " at " << c.pivot;
      EXPECT_NEAR(box.right_mm, expected.right_mm, dot) << m.mark << " at " << c.pivot;
      EXPECT_NEAR(box.bottom_mm, expected.bottom_mm, dot) << m.mark << " at " << c.pivot;
    }

    // Texts: the box starts where the text does and is one line of the label font high
    // (the font's size follows correction_y alone).
    const double em = std::stod(c.cy) * 12 * 25.4 / 72;
    const auto pivot_at = drawn.texts.at("pivot");
    const auto values_at = drawn.texts.at("Inner groove radius = 57.500 (DIN)");
    const MarkBox pivot = marks["the pivot label"];
    const MarkBox values = marks["the value lines"];
    EXPECT_NEAR(pivot.left_mm, pivot_at.first, dot) << c.pivot;
    EXPECT_NEAR(pivot.top_mm, pivot_at.second, dot) << c.pivot;
    EXPECT_NEAR(pivot.bottom_mm - pivot.top_mm, text_cell_height_em * em, 0.01) << c.pivot;
    EXPECT_NEAR(values.left_mm, values_at.first, dot) << c.pivot;
    EXPECT_NEAR(values.top_mm, values_at.second, dot) << c.pivot;
    for (const auto& [text, at] : drawn.texts) {
      if (text.find(" = ") == std::string::npos) continue;
      EXPECT_GE(at.second, values.top_mm - dot) << text;
      EXPECT_LE(at.second + text_cell_height_em * em, values.bottom_mm + dot) << text;
    }
  }
}

TEST(TemplateMarks, MarksThePageLeavesOutAreNotListed) {
  // clang-format off
  const struct { const char* pivot; std::vector<std::string> missing; } cases[] = {
      {"0",      {"the inner null grid", "the outer null grid"}},
      {"1e9999", {"the pivot cross", "the pivot label", "the inner null grid", "the outer null grid"}},
  };
  // clang-format on
  for (const auto& c : cases) {
    MainWindowFields fields = initial_main_window_fields();
    fields.pivot = c.pivot;
    ParameterSet set;
    read_parameters(set, fields);
    const std::vector<TemplateMark> marks = template_marks(set);
    EXPECT_EQ(marks.size(), 15 - c.missing.size()) << c.pivot;
    for (const TemplateMark& mark : marks) {
      EXPECT_EQ(std::count(c.missing.begin(), c.missing.end(), mark.name), 0) << mark.name;
      EXPECT_TRUE(std::isfinite(mark.box.left_mm) && std::isfinite(mark.box.bottom_mm));
    }
  }
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
