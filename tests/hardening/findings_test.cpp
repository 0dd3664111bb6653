#include <gtest/gtest.h>

#include <chrono>
#include <sstream>

#include "app/read_fields.h"
#include "model/field_reading.h"
#include "model/summary.h"
#include "strobe/strobe_page.h"
#include "support/page_checks.h"

namespace veltrane {
namespace {

std::size_t count(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

std::string strobe_trace(std::int32_t outer, double correction, int dpi) {
  ParameterSet set;
  set.correction_x = correction;
  set.correction_y = correction;
  const std::string caption = centred_text("x", caption_length);
  std::ostringstream out;
  print_strobe_page(set, outer, 0, caption, caption, trace_opener(out, dpi));
  return out.str();
}

// Faults the bad-input matrix and the fuzzers found, one test each.

// A correction factor of 200000 keeps the disk's box within 2^30 dots while its pitch
// stays above one dot for two billion bars: that once drew two billion wedges.
TEST(Findings, RingWedgesAreCappedWhateverTheScale) {
  const auto start = std::chrono::steady_clock::now();
  const std::string huge = strobe_trace(2000000000, 200000, 600);
  EXPECT_LT(std::chrono::steady_clock::now() - start, page_time_limit);
  EXPECT_EQ(count(huge, "pie "), 0u);
  EXPECT_EQ(count(huge, " black solid\n"), 1u);
  EXPECT_TRUE(trace_problems(huge).empty());

  // At 9600 dpi a pitch of 3.2 dots still draws every wedge up to the cap, one more bar
  // makes the band.
  EXPECT_EQ(count(strobe_trace(65536, 1, 9600), "pie "), 65536u);
  const std::string band = strobe_trace(65537, 1, 9600);
  EXPECT_EQ(count(band, "pie "), 0u);
  EXPECT_EQ(count(band, " black solid\n"), 1u);
}

// A line feed pasted into the ID once split the summary into ten lines.
TEST(Findings, ControlCharactersInTextsBecomeSpaces) {
  MainWindowFields window = initial_main_window_fields();
  window.id_text = "Test\narm\r\t\x7F|";
  CustomStrobeFields custom = initial_custom_strobe_fields();
  custom.caption_1 = "a\nb";
  custom.caption_2 = std::string("\0", 1);
  ParameterSet set;
  read_parameters(set, window);
  read_custom_strobe(set, custom);
  EXPECT_EQ(set.id_text, "Test arm   |" + std::string(28, ' '));
  EXPECT_EQ(set.custom_caption_1, std::string(16, ' ') + "a b" + std::string(17, ' '));
  EXPECT_EQ(set.custom_caption_2, std::string(36, ' '));
  EXPECT_TRUE(summary_problems(build_parameter_summary(set)).empty());
}

}  // namespace
}  // namespace veltrane
