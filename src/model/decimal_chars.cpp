#include "model/decimal_chars.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace veltrane {
namespace decimal_chars_fallback {
namespace {

std::string printed(const char* format, int precision, double value) {
  char buffer[400];  // "%.Nf" of DBL_MAX has 309 integer digits
  const int length = std::snprintf(buffer, sizeof buffer, format, precision, value);
  if (length < 0) return {};
  if (static_cast<std::size_t>(length) < sizeof buffer) return {buffer, buffer + length};
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  std::snprintf(text.data(), text.size(), format, precision, value);
  text.pop_back();
  return text;
}

template <typename Real>
Real read_back(const std::string& text) {
  if constexpr (sizeof(Real) == sizeof(float))
    return std::strtof(text.c_str(), nullptr);
  else
    return std::strtod(text.c_str(), nullptr);
}

// The shortest digits that read back as `value` are those of the fewest significant
// digits whose correctly rounded "%.Ne" reads back; to_chars then writes them in fixed or
// scientific notation, whichever is shorter.
template <typename Real>
std::string shortest(Real value) {
  if (std::isnan(value)) return std::signbit(value) ? "-nan" : "nan";
  if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
  if (value == 0) return std::signbit(value) ? "-0" : "0";
  const int most = std::numeric_limits<Real>::max_digits10;
  std::string text;
  for (int digits = 1; digits <= most; ++digits) {
    text = printed("%.*e", digits - 1, static_cast<double>(value));
    if (read_back<Real>(text) == value) break;
  }
  // text is "[-]d[.ddd]e±XX"
  const bool negative = text[0] == '-';
  const std::size_t e = text.find('e');
  std::string digits;
  for (std::size_t i = negative ? 1 : 0; i < e; ++i)
    if (text[i] != '.') digits.push_back(text[i]);
  const int exponent = std::atoi(text.c_str() + e + 1);
  const auto count = static_cast<int>(digits.size());

  std::string fixed;
  if (exponent < 0) {
    fixed = "0." + std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
  } else if (exponent + 1 >= count) {
    fixed = digits + std::string(static_cast<std::size_t>(exponent + 1 - count), '0');
  } else {
    fixed = digits.substr(0, static_cast<std::size_t>(exponent) + 1) + "." +
            digits.substr(static_cast<std::size_t>(exponent) + 1);
  }
  std::string scientific = text.substr(negative ? 1 : 0);
  const std::string sign = negative ? "-" : "";
  return sign + (fixed.size() <= scientific.size() ? fixed : scientific);
}

}  // namespace

std::string scientific_chars(double value, int precision) {
  return printed("%.*e", precision, value);
}

std::string fixed_chars(double value, int precision) {
  return printed("%.*f", precision, value);
}

std::string general_chars(double value, int precision) {
  return printed("%.*g", precision, value);
}

std::string shortest_chars(double value) {
  return shortest(value);
}

std::string shortest_chars(float value) {
  return shortest(value);
}

double parse_decimal(std::string_view text) {
  // Out of range, strtod gives infinity or zero (or the subnormal), as from_chars's
  // callers make of its result_out_of_range.
  return std::strtod(std::string(text).c_str(), nullptr);
}

}  // namespace decimal_chars_fallback

#if defined(__cpp_lib_to_chars)

double parse_decimal(std::string_view text) {
  double value = 0;
  const auto result =
      std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
  if (result.ec == std::errc::result_out_of_range) {
    // Too large or too small for a double: the position of the leading non-zero digit
    // relative to the point, and the exponent, tell which.
    const std::size_t e = std::min(text.find_first_of("eE"), text.size());
    // strtoll saturates an exponent beyond its range; clamping it further keeps the sum
    // below from overflowing, and no text is long enough for the clamp to change the sign.
    constexpr long long far = 1LL << 60;
    const long long exponent =
        e < text.size()
            ? std::clamp(std::strtoll(std::string(text.substr(e + 1)).c_str(), nullptr, 10), -far,
                         far)
            : 0;
    const auto point = static_cast<long long>(std::min(text.find('.'), e));
    const auto lead = static_cast<long long>(text.find_first_of("123456789"));
    const long long magnitude = (lead < point ? point - lead : point - lead + 1) + exponent;
    value = magnitude > 0 ? std::numeric_limits<double>::infinity() : 0.0;
  }
  return value;
}

#else

double parse_decimal(std::string_view text) {
  return decimal_chars_fallback::parse_decimal(text);
}

#endif

}  // namespace veltrane
