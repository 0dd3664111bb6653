#include "model/calibration.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "model/number_format.h"

namespace veltrane {
namespace {

const double inf = std::numeric_limits<double>::infinity();

TEST(FormatFourDecimals, RoundsAsTheSummaryRounds) {
  // clang-format off
  const struct { double value; const char* text; } cases[] = {
      {1.005, "1.0050"},      {200.0 / 199, "1.0050"}, {200.0 / 201.5, "0.9926"},
      {1.03125, "1.0312"},    {1.09375, "1.0938"},     {0.99995, "1.0000"},
      {9.99995, "10.0000"},    {0, "0.0000"},           {-0.0, "0.0000"},
      {NAN, "0.0000"},        {-0.00004, "-0.0000"},   {-1.25, "-1.2500"},
      {inf, "inf"},           {-inf, "-inf"},          {1e20, "100000000000000000000.0000"},
  };
  // clang-format on
  for (const auto& c : cases) EXPECT_EQ(format_four_decimals(c.value), c.text) << c.value;
  // Still the three-decimal summary format, rounded once from the same 18 digits.
  EXPECT_EQ(format_three_decimals(0.0875), "0.087");
  EXPECT_EQ(format_four_decimals(0.0875), "0.0875");
}

TEST(CalibratedFactor, CurrentTimes200OverMeasured) {
  // clang-format off
  const struct { double current; double measured_mm; double factor; } cases[] = {
      {1.0,    200,   1.0},
      {1.0,    199,   200.0 / 199},
      {1.0,    160,   1.25},
      {1.005,  201,   1.005 * 200 / 201},
      {0.98,   196,   0.98 * 200 / 196},
      {-1.0,   200,   -1.0},            // read as typed; the warning is the command's
      {0.0,    190,   0.0},
      {inf,    200,   inf},
      {1e308,  1000,  2e307},           // only the product overflows a double
      {1e308,  1,     inf},
      {1.0,    5e-324, inf},
  };
  // clang-format on
  for (const auto& c : cases) {
    EXPECT_EQ(calibrated_factor(c.current, c.measured_mm), c.factor)
        << c.current << " " << c.measured_mm;
  }
}

TEST(CalibratedFactor, DoubtfulBeyondTenPercentOf200) {
  for (const double measured : {200.0, 180.0, 220.0, 199.0, 181.5, 219.99})
    EXPECT_FALSE(is_doubtful_measurement(measured)) << measured;
  for (const double measured : {179.99, 220.01, 7.87, 2000.0, 1e300, 5e-324})
    EXPECT_TRUE(is_doubtful_measurement(measured)) << measured;
}

}  // namespace
}  // namespace veltrane
