#include "model/summary.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "app/read_fields.h"
#include "model/field_reading.h"
#include "model/number_format.h"

namespace veltrane {
namespace {

TEST(FormatThreeDecimals, RoundsTwiceHalfToEven) {
  const double inf = std::numeric_limits<double>::infinity();
  // clang-format off
  const struct { double value; const char* text; } cases[] = {
      {57.5, "57.500"},     {146.05, "146.050"},   {60.325, "60.325"},  {0.5, "0.500"},
      {0, "0.000"},         {-0.0, "0.000"},       {-15.3, "-15.300"},  {1234.5678, "1234.568"},
      {0.0625, "0.062"},    {0.1875, "0.188"},     {0.0875, "0.087"},   {-0.0004, "-0.000"},
      {0.0005, "0.001"},    {0.0015, "0.002"},     {999.9995, "1000.000"},
      {9.9995, "9.999"},    {-1e-300, "-0.000"},   {0.00049999, "0.000"},
      {NAN, "0.000"},       {inf, "inf"},          {-inf, "-inf"},
      {1e20, "100000000000000000000.000"},
      {123456789012345678901.0, "123456789012345684000.000"},
      {0.1, "0.100"},       {2.5e-3, "0.003"},     {-2.5, "-2.500"},
  };
  // clang-format on
  for (const auto& c : cases) EXPECT_EQ(format_three_decimals(c.value), c.text) << c.value;
  EXPECT_EQ(format_three_decimals(1.7976931348623157e308).size(), 309u + 4u);
}

TEST(FormatUpToThreeDecimals, DropsTrailingZerosAndAPointLeftAlone) {
  const double inf = std::numeric_limits<double>::infinity();
  // clang-format off
  const struct { double value; const char* text; } cases[] = {
      {209, "209"},        {239.3, "239.3"},    {238.1234, "238.123"}, {222.0005, "222"},
      {100.10, "100.1"},   {0.0015, "0.002"},   {0.0004, "0"},         {-0.0004, "-0"},
      {1e20, "100000000000000000000"},          {NAN, "0"},            {-inf, "-inf"},
  };
  // clang-format on
  for (const auto& c : cases) EXPECT_EQ(format_up_to_three_decimals(c.value), c.text) << c.value;
}

// The chart's tick labels, once printf's "%.4g" and "%.*f".
TEST(FormatSignificantAndFixed, WriteWhatTheCLocalesPrintfWrites) {
  // clang-format off
  const struct { double value; int digits; const char* significant; const char* fixed; } cases[] = {
      {0.5,       4, "0.5",       "0.5000"},  {-2.5,    1, "-2",      "-2.5"},
      {12345.678, 4, "1.235e+04", "12345.6780"}, {0.0001, 2, "0.0001", "0.00"},
      {1e-5,      4, "1e-05",     "0.0000"},  {-0.0,    2, "-0",      "-0.00"},
      {-0.004,    2, "-0.004",    "-0.00"},   {1e300,   3, "1e+300",  nullptr},
  };
  // clang-format on
  for (const auto& c : cases) {
    EXPECT_EQ(format_significant(c.value, c.digits), c.significant) << c.value;
    if (c.fixed) {
      EXPECT_EQ(format_fixed(c.value, c.digits), c.fixed) << c.value;
    }
  }
  EXPECT_EQ(format_fixed(1e300, 3).size(), 301u + 4u);  // the largest numbers fit
}

TEST(ParameterSummary, InitialContents) {
  ParameterSet set;
  read_parameters(set, initial_main_window_fields());
  EXPECT_EQ(build_parameter_summary(set), "ID = " + std::string(40, ' ') +
                                              "\nInner groove radius = 57.500"
                                              "\nOuter groove radius = 146.050"
                                              "\nPivot to spindle distance = 209.000"
                                              "\nInner null radius = 63.103"
                                              "\nOuter null radius = 119.173"
                                              "\nEffective length = 226.277"
                                              "\nOverhang = 17.277"
                                              "\nOffset angle = 23.752\u00B0");
}

TEST(ReadParameters, ReadsTheFieldsInto) {
  MainWindowFields fields = initial_main_window_fields();
  fields.id_text = "Test arm";
  fields.inner_radius = "60.325";
  ParameterSet set;
  read_parameters(set, fields);
  EXPECT_EQ(set.alignment, alignment_lofgren_a);
  EXPECT_EQ(set.correction_x, 1.0);
  EXPECT_EQ(set.inner_groove_radius, 60.325);
  EXPECT_EQ(build_parameter_summary(set).substr(0, 46),
            "ID = Test arm" + std::string(32, ' ') + "\n");
}

TEST(ReadParameters, NoCheckedOptionKeepsThePreviousAlignment) {
  MainWindowFields fields = initial_main_window_fields();
  fields.alignment = alignment_stevenson_a;
  ParameterSet set;
  read_parameters(set, fields);
  EXPECT_EQ(set.alignment, alignment_stevenson_a);
  fields.alignment = 0;
  read_parameters(set, fields);
  EXPECT_EQ(set.alignment, alignment_stevenson_a);
  EXPECT_EQ(format_three_decimals(set.outer_null_radius), "115.522");
}

TEST(ReadCustomStrobe, ReadsCountsAndCentresCaptions) {
  CustomStrobeFields fields = initial_custom_strobe_fields();
  fields.outer_bars = "72.5";
  fields.inner_bars = "73.5";
  fields.caption_1 = "A";
  ParameterSet set;
  read_custom_strobe(set, fields);
  EXPECT_EQ(set.custom_outer_bars, 72);
  EXPECT_EQ(set.custom_inner_bars, 74);
  EXPECT_EQ(set.custom_caption_1, std::string(17, ' ') + "A" + std::string(18, ' '));
  EXPECT_EQ(set.custom_caption_2, centred_text("45 RPM - 60 HZ - 160 BARS", 36));
}

}  // namespace
}  // namespace veltrane
