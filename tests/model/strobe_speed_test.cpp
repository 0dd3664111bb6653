#include "model/strobe_speed.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "model/number_format.h"

namespace veltrane {
namespace {

const double inf = std::numeric_limits<double>::infinity();

TEST(StrobeRing, CountsCaptionsAndStandstillSpeeds) {
  // clang-format off
  const struct {
    double rpm; double hz; int bars; const char* caption; const char* standstill;
    double deviation_percent; double drift;
  } cases[] = {
      {100.0 / 3, 50, 180, "33 1/3 RPM - 50 HZ - 180 BARS", "33.333",  0,        0},
      {45,        50, 133, "45 RPM - 50 HZ - 133 BARS",     "45.113",  0.250627, -5},
      {78,        50, 77,  "78 RPM - 50 HZ - 77 BARS",      "77.922", -0.099900,  2},
      {50.0 / 3,  50, 360, "16 2/3 RPM - 50 HZ - 360 BARS", "16.667",  0,        0},
      {100.0 / 3, 60, 216, "33 1/3 RPM - 60 HZ - 216 BARS", "33.333",  0,        0},
      {45,        60, 160, "45 RPM - 60 HZ - 160 BARS",     "45",      0,        0},
      {78,        60, 92,  "78 RPM - 60 HZ - 92 BARS",      "78.261",  0.334448, -8},
      {50.0 / 3,  60, 432, "16 2/3 RPM - 60 HZ - 432 BARS", "16.667",  0,        0},
      {33.333,    60, 216, "33 1/3 RPM - 60 HZ - 216 BARS", "33.333",  0.001000, -0.024},
      {78.26,     50, 77,  "78.26 RPM - 50 HZ - 77 BARS",   "77.922", -0.431794,  8.673333},
      {45,     59.94, 160, "45 RPM - 59.94 HZ - 160 BARS",  "44.955", -0.1,       2.4},
      {33.5,     100, 358, "33.5 RPM - 100 HZ - 358 BARS",  "33.52",   0.058367, -2.333333},
      {0.0004, 0.00001, 3,   "0.0004 RPM - 0.00001 HZ - 3 BARS", "0",  0,        0},
  };
  // clang-format on
  for (const auto& c : cases) {
    const auto ring = make_strobe_ring(c.rpm, c.hz);
    ASSERT_TRUE(ring) << c.rpm << " " << c.hz;
    EXPECT_EQ(ring->bars, c.bars) << c.caption;
    EXPECT_EQ(strobe_caption(*ring), c.caption);
    EXPECT_EQ(format_up_to_three_decimals(ring->standstill_rpm), c.standstill) << c.caption;
    EXPECT_NEAR(ring->deviation_percent, c.deviation_percent, 1e-6) << c.caption;
    EXPECT_NEAR(ring->drift_bars_per_20s, c.drift, 1e-4) << c.caption;
  }
}

TEST(StrobeBarCount, RoundsHalvesToEvenWithinOneToTheLargestCount) {
  // clang-format off
  const struct { double rpm; double hz; int bars; } counts[] = {
      {32, 50, 188},   {96, 50, 62},     {4000, 50, 2},  {2400, 50, 2},   {6000, 50, 1},
      {11999, 50, 1},  {1e300, 1e300, 120},
      {1e-300, 1e-300, 120},             {1e308, 1e308, 120},  // only 120 x F overflows
      {120, 2147483647, 2147483647},
  };
  const struct { double rpm; double hz; } none[] = {
      {12000, 50},     {20000, 50},      {1e-9, 50},     {120, 2147483648.0}, {1e-308, 1e308},
      {0, 50},         {-45, 50},        {45, 0},        {45, -50},           {inf, 50},
      {45, inf},       {NAN, 50},        {45, NAN},
  };
  // clang-format on
  for (const auto& c : counts) EXPECT_EQ(strobe_bar_count(c.rpm, c.hz), c.bars) << c.rpm;
  for (const auto& c : none) {
    EXPECT_EQ(strobe_bar_count(c.rpm, c.hz), std::nullopt) << c.rpm << " " << c.hz;
    EXPECT_EQ(make_strobe_ring(c.rpm, c.hz), std::nullopt) << c.rpm << " " << c.hz;
  }
}

TEST(StrobeCaption, NumbersWithThreeDecimalsAndTheTwoFractions) {
  // clang-format off
  const struct { double value; const char* number; const char* speed; } cases[] = {
      {78, "78", "78"},                {78.26, "78.26", "78.26"},    {50, "50", "50"},
      {59.94, "59.94", "59.94"},       {0.5, "0.5", "0.5"},          {1234.5678, "1234.568", "1234.568"},
      {0.0004, "0", "0.0004"},         {0.0005, "0.001", "0.001"},   {9.9995, "9.999", "9.999"},
      // A speed never shows as 0: three significant digits, or the exponent form.
      {0.0000123456, "0", "0.0000123"}, {0.00049951, "0", "0.0005"}, {1.5e-20, "0", "1.5e-20"},
      {1e-300, "0", "1e-300"},         {4e-324, "0", "4.94e-324"},
      {1e20, "100000000000000000000", "100000000000000000000"},
      {100.0 / 3, "33.333", "33 1/3"}, {33.333, "33.333", "33 1/3"}, {33.334, "33.334", "33 1/3"},
      {33.3323, "33.332", "33.332"},   {33.3344, "33.334", "33.334"},
      {50.0 / 3, "16.667", "16 2/3"},  {16.666, "16.666", "16 2/3"}, {16.6677, "16.668", "16.668"},
      {66.667, "66.667", "66.667"},
  };
  // clang-format on
  for (const auto& c : cases) {
    EXPECT_EQ(format_up_to_three_decimals(c.value), c.number) << c.value;
    EXPECT_EQ(strobe_speed_text(c.value), c.speed) << c.value;
  }
}

TEST(StrobeRingReport, DriftInTheWordsOfTheFiftyHertzNote) {
  // clang-format off
  const struct { double rpm; double hz; const char* line; } cases[] = {
      {45, 50, "inner ring: 133 bars stand still at 45.113 RPM, +0.251 % from 45 RPM; "
               "at 45 RPM they must drift CCW 5 bars per 20sec"},
      {78, 50, "inner ring: 77 bars stand still at 77.922 RPM, -0.100 % from 78 RPM; "
               "at 78 RPM they must drift CW 2 bars per 20sec"},
      {33.333, 60, "inner ring: 216 bars stand still at 33.333 RPM, +0.001 % from 33.333 RPM; "
                   "at 33.333 RPM they must drift CCW 0.024 bars per 20sec"},
      {45, 60, "inner ring: 160 bars stand still at 45 RPM, 0.000 % from 45 RPM"},
      // Under half a thousandth of a bar in 20 s counts as standing still.
      {45.000005, 60, "inner ring: 160 bars stand still at 45 RPM, 0.000 % from 45 RPM"},
      {45.00001, 60, "inner ring: 160 bars stand still at 45 RPM, 0.000 % from 45 RPM; "
                      "at 45 RPM they must drift CW 0.001 bars per 20sec"},
  };
  // clang-format on
  for (const auto& c : cases) {
    const auto ring = make_strobe_ring(c.rpm, c.hz);
    ASSERT_TRUE(ring);
    EXPECT_EQ(describe_strobe_ring("inner ring", *ring), c.line);
  }
}

TEST(StrobeSpeedReading, DecimalsFractionsAndMixedNumbers) {
  // clang-format off
  const struct { const char* text; std::optional<double> speed; } cases[] = {
      {"78", 78},               {"+45", 45},            {"16.667", 16.667},   {"1e2", 100},
      {"100/3", 100.0 / 3},     {"33 1/3", 100.0 / 3},  {"16 2/3", 50.0 / 3}, {"50/3", 50.0 / 3},
      {"33  1/3", 100.0 / 3}, {"0 1/2", 0.5},         {"45/1", 45},         {"1/3.0", 1.0 / 3},
      {"77 1/2", 77.5},         {"033 1/3", 100.0 / 3},
      {"", {}},       {"0", {}},       {"-45", {}},     {"inf", {}},      {"nan", {}},
      {"1/0", {}},    {"0/3", {}},     {"-1/3", {}},    {"1/-3", {}},     {"/3", {}},
      {"1/", {}},     {"1/3/4", {}},   {"33 1", {}},    {"33.5 1/2", {}}, {"-33 1/3", {}},
      {"33 -1/3", {}}, {"1 / 3", {}},  {"33 1/3 1", {}}, {"1e308/1e-308", {}}, {"45x", {}},      {" 45", {}},     {"1/3 ", {}},
  };
  // clang-format on
  for (const auto& c : cases) EXPECT_EQ(read_strobe_speed(c.text), c.speed) << '"' << c.text << '"';
}

TEST(StrobeSpeedPageTexts, TimingLinesAndDrift) {
  // clang-format off
  const struct { double rpm, hz; const char* line_1; const char* line_2; const char* drift; } cases[] = {
      {78,        50, "At 78 RPM it takes",     "76.923 sec for 100 revolutions.",  "must drift CW 2 bars per 20sec"},
      {100.0 / 3, 50, "At 33 1/3 RPM it takes", "180 sec for 100 revolutions.",     nullptr},
      {45,        50, "At 45 RPM it takes",     "133.333 sec for 100 revolutions.", "must drift CCW 5 bars per 20sec"},
      {50.0 / 3,  60, "At 16 2/3 RPM it takes", "360 sec for 100 revolutions.",     nullptr},
      {78.26,     50, "At 78.26 RPM it takes",  "76.668 sec for 100 revolutions.",  "must drift CW 8.673 bars per 20sec"},
      {33.333,    60, "At 33 1/3 RPM it takes", "180.002 sec for 100 revolutions.", "must drift CCW 0.024 bars per 20sec"},
      {45.000005, 60, "At 45 RPM it takes",     "133.333 sec for 100 revolutions.", nullptr},
  };
  // clang-format on
  for (const auto& c : cases) {
    const auto ring = make_strobe_ring(c.rpm, c.hz);
    ASSERT_TRUE(ring);
    const auto lines = strobe_timing_lines(c.rpm);
    EXPECT_EQ(lines[0], c.line_1);
    EXPECT_EQ(lines[1], c.line_2);
    EXPECT_EQ(strobe_drift_text(*ring),
              c.drift ? std::optional<std::string>(c.drift) : std::nullopt)
        << c.rpm;
  }
}

}  // namespace
}  // namespace veltrane
