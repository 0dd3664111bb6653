#include <gtest/gtest.h>

#include "golden.h"
#include "support/page_checks.h"

namespace veltrane {
namespace {

TEST(PageChecks, PassTheGoldenPages) {
  for (const char* name : {"template_default.trace", "strobe_60hz.trace", "strobe_50hz.trace"}) {
    const std::string trace = read_golden(name);
    ASSERT_FALSE(trace.empty()) << name;
    EXPECT_TRUE(trace_problems(trace).empty()) << name;
  }
}

TEST(PageChecks, CatchEachKindOfViolation) {
  const std::string head = "open \"Print Job\"\npage portrait 600 600\n";
  // clang-format off
  const char* bad_operations[] = {
      "move 1073741825 0\n", "line 0 -1073741825\n", "move 1.5 2\n", "line 3\n",
      "ellipse 0 0 99999999999 1 black solid\n", "ellipse 0 0 1 1 red solid\n",
      "arc 0 0 1 1 nan 1\n", "pie 0 0 1 1 0 inf\n", "pie 0 0 1 1 0\n",
      "text \"unterminated\n", "text \"\xFF\"\n", "font Courier 12 regular\n", "blink\n",
  };
  // clang-format on
  for (const char* op : bad_operations) {
    EXPECT_FALSE(trace_problems(head + op + "close\n").empty()) << op;
  }
  EXPECT_TRUE(trace_problems(head + "move -1073741824 1073741824\nclose\n").empty());
  EXPECT_FALSE(trace_problems(head).empty()) << "no close";
  std::string flood = head;
  for (std::size_t i = 0; i < max_page_operations; ++i) flood += "pen 1\n";
  EXPECT_FALSE(trace_problems(flood + "close\n").empty()) << "too many operations";
}

TEST(PageChecks, SummaryNeedsNineCaptionedLines) {
  const std::string id = "ID = " + std::string(40, ' ');
  const std::string rest =
      "\nInner groove radius = 57.500\nOuter groove radius = 146.050\n"
      "Pivot to spindle distance = 209.000\nInner null radius = 63.103\n"
      "Outer null radius = 119.173\nEffective length = 226.277\nOverhang = -inf\n"
      "Offset angle = 23.752\u00B0";
  EXPECT_TRUE(summary_problems(id + rest).empty());
  EXPECT_FALSE(summary_problems(id + rest + "\n").empty());
  EXPECT_FALSE(summary_problems("ID = short" + rest).empty());
  EXPECT_FALSE(summary_problems(id + rest.substr(0, rest.size() - 2)).empty());
  // clang-format off
  for (const char* number : {"1.5", "nan", "1.2345", "-", ".500", "1e5"}) {
    EXPECT_FALSE(is_three_decimal_text(number)) << number;
  }
  for (const char* number : {"0.000", "-0.000", "inf", "-inf", "179769313486231570000.000"}) {
    EXPECT_TRUE(is_three_decimal_text(number)) << number;
  }
  // clang-format on
}

}  // namespace
}  // namespace veltrane
