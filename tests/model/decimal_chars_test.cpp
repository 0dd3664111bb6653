#include "model/decimal_chars.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

#include "model/number_format.h"

namespace veltrane {
namespace {

namespace fallback = decimal_chars_fallback;

// Values whose texts the pages, traces and reports write: round and long decimals, halves
// that round either way, powers of ten and two at the ends of the range, subnormals.
// clang-format off
const double values[] = {
    0.0, -0.0, 1.0, -1.0, 209.0, 57.5, 146.05, 60.325, 0.1, 0.2, 0.3, 1.0 / 3, 2.0 / 3,
    100.0 / 3, 239.3, 222.00443, 65.998137, 120.891, 1e-4, 1e-5, 123456.0, 1234567.0,
    1e15, 1e16, 1e17, 1e21, 1e22, 1e23, 5e-324, 2.2250738585072014e-308, 1.7976931348623157e308,
    0.0005, 0.0015, 0.0025, 1.0005, 2.5e-7, 9.5, 0.125, 33.3335, 1e100, 4.35, 8.345,
    std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
};
// clang-format on

template <typename... Format>
std::string to_chars_text(Format... format) {
  char buffer[400];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, format...);
  return {buffer, result.ptr};
}

TEST(DecimalChars, FallbackWritesTheSameDigitsAsToChars) {
  for (const double value : values) {
    SCOPED_TRACE(to_chars_text(value));
    EXPECT_EQ(fallback::shortest_chars(value), to_chars_text(value));
    EXPECT_EQ(fallback::shortest_chars(value), shortest_number(value));
    const auto single = static_cast<float>(value);
    EXPECT_EQ(fallback::shortest_chars(single), to_chars_text(single));
    if (std::isinf(value)) continue;  // printf and to_chars agree only on finite values
    for (const int precision : {0, 3, 4, 17}) {
      EXPECT_EQ(fallback::scientific_chars(value, precision),
                to_chars_text(value, std::chars_format::scientific, precision));
      EXPECT_EQ(fallback::fixed_chars(value, precision), format_fixed(value, precision));
      EXPECT_EQ(fallback::general_chars(value, precision), format_significant(value, precision));
    }
  }
}

TEST(DecimalChars, ShortestTextsReadBackAndChooseTheShorterNotation) {
  // clang-format off
  const struct { double value; const char* text; } cases[] = {
      {209, "209"}, {0.1, "0.1"}, {1e-4, "1e-04"}, {1e22, "1e+22"}, {123456, "123456"},
      {-57.5, "-57.5"}, {1.0 / 3, "0.3333333333333333"}, {5e-324, "5e-324"},
  };
  // clang-format on
  for (const auto& c : cases) EXPECT_EQ(fallback::shortest_chars(c.value), c.text);
  for (const double value : values) {
    if (!std::isfinite(value)) continue;
    EXPECT_EQ(std::strtod(fallback::shortest_chars(value).c_str(), nullptr), value);
  }
}

TEST(DecimalChars, FallbackReadsTheSameValues) {
  // clang-format off
  const char* const texts[] = {
      "209e0", "57.5e0", "0.1e0", "146.05e0", "60.325e0", "1.e0", ".5e0", "2.5e1", "1e-400",
      "1e400", "99999999999999999999999999999999.9e0", "0.000000000000000000000001e-300",
      "4.9406564584124654e-324", "2.4703282292062328e-324", "1.7976931348623158e308",
      "123456789012345678901234567890e-30", "1e9223372036854775807", "1e99999999999999999999",
      "0.01e9223372036854775807", "10e-9223372036854775808", "1e-99999999999999999999",
  };
  // clang-format on
  for (const char* text : texts) {
    SCOPED_TRACE(text);
    const double value = parse_decimal(text);
    const double fallback_value = fallback::parse_decimal(text);
    EXPECT_TRUE(value == fallback_value && std::signbit(value) == std::signbit(fallback_value))
        << value << " " << fallback_value;
  }
}

}  // namespace
}  // namespace veltrane
