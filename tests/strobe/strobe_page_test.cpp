#include "strobe/strobe_page.h"

#include <gtest/gtest.h>

#include <chrono>
#include <sstream>
#include <vector>

#include "golden.h"
#include "model/field_reading.h"
#include "model/strobe_speed.h"
#include "print/trace_device.h"

namespace veltrane {
namespace {

std::string strobe_trace(std::int32_t outer, std::int32_t inner, double correction_x = 1,
                         double correction_y = 1, const std::string& caption_1 = "one",
                         const std::string& caption_2 = "two") {
  ParameterSet set;
  set.correction_x = correction_x;
  set.correction_y = correction_y;
  std::ostringstream out;
  print_strobe_page(set, outer, inner, centred_text(caption_1, 36), centred_text(caption_2, 36),
                    trace_opener(out));
  return out.str();
}

std::size_t count(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

TEST(StrobePage, MatchesTheGoldenTraces) {
  EXPECT_EQ(strobe_trace(216, 160), read_golden("strobe_60hz.trace"));
  EXPECT_EQ(strobe_trace(180, 133), read_golden("strobe_50hz.trace"));
}

TEST(StrobePage, CaptionsFollowThePairOfCounts) {
  // clang-format off
  const struct { std::int32_t outer, inner; const char* lines; bool drift; } cases[] = {
      {216, 160, "move 1370 3780\ntext \"33 1/3 RPM - 60 HZ - 216 BARS\"\nmove 1535 3969\n"
                 "text \"45 RPM - 60 HZ - 160 BARS\"\nfont Arial 10 regular\n", false},
      {180, 133, "move 1370 3780\ntext \"33 1/3 RPM - 50 HZ - 180 BARS\"\nmove 1535 3969\n"
                 "text \"45 RPM - 50 HZ - 133 BARS\"\nmove 1890 4134\nfont Arial 10 regular\n"
                 "text \"(must drift CCW 5 bars per 20sec)\"\nfont Arial 18 regular\n", true},
      {216, 133, "move 1370 3780\nmove 1299 3780\ntext \"                one                 \"\n"
                 "move 1299 3969\ntext \"                two                 \"\n", false},
      {180, 160, "text \"                one ", false},
  };
  // clang-format on
  for (const auto& c : cases) {
    const std::string trace = strobe_trace(c.outer, c.inner);
    EXPECT_NE(trace.find(c.lines), std::string::npos) << c.outer << '/' << c.inner;
    EXPECT_EQ(count(trace, "must drift"), c.drift ? 1u : 0u);
    EXPECT_EQ(count(trace, "text \"Time this mark-\""), 1u);
  }
}

TEST(StrobePage, BarCounts) {
  // clang-format off
  const struct { std::int32_t outer, inner; std::size_t pies; } cases[] = {
      {216, 160, 376}, {1, 0, 1}, {0, 0, 0}, {-5, 3, 3}, {-2147483647 - 1, 2, 2},
  };
  // clang-format on
  for (const auto& c : cases) EXPECT_EQ(count(strobe_trace(c.outer, c.inner), "pie "), c.pies);
  EXPECT_NE(strobe_trace(1, 0).find("pie 390 1098 4524 5232 0 3.1415927\n"), std::string::npos);
}

TEST(StrobePage, RingsTooFineForTheDeviceAreSolidBands) {
  const auto start = std::chrono::steady_clock::now();
  const std::string trace = strobe_trace(2000000000, 2147483647);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
  EXPECT_EQ(count(trace, "pie "), 0u);
  EXPECT_NE(trace.find(
                "ellipse 390 1098 4524 5232 black solid\nellipse 685 1394 4228 4937 white solid\n"),
            std::string::npos);
  // 12986.8 dots around the outer edge at 600 dpi: a bar pitch of one dot still draws wedges.
  EXPECT_EQ(count(strobe_trace(12986, 0), "pie "), 12986u);
  EXPECT_EQ(count(strobe_trace(12987, 0), "pie "), 0u);
}

TEST(StrobePage, CorrectionScalesTheDiskButFontsFollowYOnly) {
  const std::string wider = strobe_trace(216, 160, 1.01, 1.0);
  EXPECT_NE(wider.find("ellipse 334 1039 4629 5291 black hollow\n"), std::string::npos);
  EXPECT_NE(wider.find("font Arial 18 regular\n"), std::string::npos);
  const std::string flat = strobe_trace(216, 160, 1.0, 0);
  EXPECT_NE(flat.find("font Arial 0 regular\n"), std::string::npos);
}

std::string speed_trace(std::vector<StrobeRing> rings) {
  ParameterSet set;
  set.correction_x = set.correction_y = 1;
  std::ostringstream out;
  print_strobe_speed_page(set, rings, trace_opener(out));
  return out.str();
}

TEST(StrobeSpeedPage, OwnTimingDriftUnderEachCaptionAndRingNames) {
  const StrobeRing r78 = *make_strobe_ring(78, 50), r45 = *make_strobe_ring(45, 50),
                   r33 = *make_strobe_ring(100.0 / 3, 50);
  // clang-format off
  const struct { std::vector<StrobeRing> rings; std::size_t pies; const char* texts; std::size_t drifts; } cases[] = {
      // One ring: its caption, unnamed, centred on the disk, its drift 7.5 mm below.
      {{r78}, 77, "move 1540 3449\ntext \"78 RPM - 50 HZ - 77 BARS\"\nfont Arial 10 regular\n"
                  "move 1855 3626\ntext \"(must drift CW 2 bars per 20sec)\"\n", 1},
      // Two: each named; the ring that stands still carries no drift.
      {{r45, r33}, 133 + 180,
       "text \"outer: 45 RPM - 50 HZ - 133 BARS\"\nfont Arial 10 regular\nmove 1825 3626\n"
       "text \"(must drift CCW 5 bars per 20sec)\"\nfont Arial 18 regular\nmove 1165 3744\n"
       "text \"inner: 33 1/3 RPM - 50 HZ - 180 BARS\"\nfont Arial 10 regular\n", 1},
  };
  // clang-format on
  for (const auto& c : cases) {
    const std::string trace = speed_trace(c.rings);
    EXPECT_EQ(count(trace, "pie "), c.pies);
    EXPECT_NE(trace.find(c.texts), std::string::npos) << trace;
    EXPECT_EQ(count(trace, "must drift"), c.drifts);
    EXPECT_NE(trace.find("text \"Time this mark-\""), std::string::npos);
    EXPECT_EQ(count(trace, "\npage "), 1u);
  }
  EXPECT_NE(speed_trace({r78}).find("text \"At 78 RPM it takes\"\nmove 2575 2197\n"
                                    "text \"76.923 sec for 100 revolutions.\""),
            std::string::npos);
  EXPECT_NE(speed_trace({r45, r33}).find("text \"At 45 RPM it takes\""), std::string::npos);
  // The standard speeds make the standard bars, not the standard page.
  const std::string standard = speed_trace({r33, r45});
  EXPECT_EQ(count(standard, "pie "), 180u + 133u);
  EXPECT_EQ(standard.find("text \"33 1/3 RPM - 50 HZ - 180 BARS\""), std::string::npos);
  EXPECT_NE(standard.find("text \"outer: 33 1/3 RPM - 50 HZ - 180 BARS\""), std::string::npos);
}

}  // namespace
}  // namespace veltrane
