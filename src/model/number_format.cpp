#include "model/number_format.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <span>
#include <string_view>

namespace veltrane {
namespace {

// Every number this program writes becomes text here, through std::to_chars, which no
// locale touches: a comma-decimal desktop gets "0.5" like everyone else. A negative
// precision asks for the shortest text that reads back as the same number, fixed or
// scientific, whichever is shorter (`format` is then not used). Returns the text in
// `buffer`, or an empty view when it does not fit.
template <typename Number>
std::string_view number_chars(std::span<char> buffer, Number value, std::chars_format format,
                              int precision) {
  char* const first = buffer.data();
  char* const last = first + buffer.size();
  const std::to_chars_result result = precision < 0
                                          ? std::to_chars(first, last, value)
                                          : std::to_chars(first, last, value, format, precision);
  if (result.ec != std::errc()) return {};
  return {first, static_cast<std::size_t>(result.ptr - first)};
}

// Adds one unit in the last place of a string of decimal digits; returns the carry.
bool increment_digits(std::string& digits) {
  for (std::size_t i = digits.size(); i-- > 0;) {
    if (digits[i] != '9') {
      ++digits[i];
      return false;
    }
    digits[i] = '0';
  }
  return true;
}

// The summary's rounding to `places` (1 or more) decimals.
std::string format_decimals(double value, int places) {
  const auto kept_places = static_cast<std::size_t>(places);
  if (std::isnan(value) || value == 0) return "0." + std::string(kept_places, '0');
  if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
  const bool negative = std::signbit(value);

  // First rounding: 18 significant digits of the exact binary value, half to even. The
  // text is printf's "%.17e"; to_chars writes the same several times faster, which long
  // tables of values notice.
  char buffer[40];
  const std::string_view written = number_chars(
      std::span(buffer, sizeof buffer - 1), std::fabs(value), std::chars_format::scientific, 17);
  buffer[written.size()] = '\0';
  std::string digits;
  digits.push_back(buffer[0]);
  digits.append(buffer + 2, 17);
  const int exponent = std::atoi(buffer + 20);  // buffer is "d.ddddddddddddddddde+XX"

  // Place the decimal point: digits[0] has weight 10^exponent. Pad so that there are
  // at least one integer digit and one decimal beyond the kept ones to look at.
  std::string integer_part;
  std::string fraction;
  if (exponent >= 0) {
    if (static_cast<std::size_t>(exponent) + 1 >= digits.size()) {
      integer_part = digits + std::string(exponent + 1 - digits.size(), '0');
    } else {
      integer_part = digits.substr(0, exponent + 1);
      fraction = digits.substr(exponent + 1);
    }
  } else {
    integer_part = "0";
    fraction = std::string(-exponent - 1, '0') + digits;
  }
  fraction.resize(std::max(fraction.size(), kept_places + 1), '0');

  // Second rounding: to the kept decimals, half to even on the 18-digit decimal value.
  std::string kept = integer_part + fraction.substr(0, kept_places);
  const char next = fraction[kept_places];
  const bool rest_nonzero = fraction.find_first_not_of('0', kept_places + 1) != std::string::npos;
  const bool last_odd = (kept.back() - '0') % 2 == 1;
  if (next > '5' || (next == '5' && (rest_nonzero || last_odd))) {
    if (increment_digits(kept)) kept.insert(kept.begin(), '1');
  }
  std::string text = negative ? "-" : "";
  text.append(kept, 0, kept.size() - kept_places);
  text.push_back('.');
  text.append(kept, kept.size() - kept_places, kept_places);
  return text;
}

}  // namespace

std::string format_three_decimals(double value) {
  return format_decimals(value, 3);
}

std::string format_four_decimals(double value) {
  return format_decimals(value, 4);
}

std::string format_up_to_three_decimals(double value) {
  std::string text = format_three_decimals(value);
  if (text.find('.') == std::string::npos) return text;  // inf, -inf
  text.erase(text.find_last_not_of('0') + 1);
  if (text.back() == '.') text.pop_back();
  return text;
}

std::string shortest_number(double value) {
  char buffer[32];
  return std::string(number_chars(buffer, value, std::chars_format::general, -1));
}

std::string shortest_number(float value) {
  char buffer[32];
  return std::string(number_chars(buffer, value, std::chars_format::general, -1));
}

std::string format_significant(double value, int digits) {
  char buffer[64];
  return std::string(number_chars(buffer, value, std::chars_format::general, std::max(digits, 0)));
}

std::string format_fixed(double value, int decimals) {
  // Up to 309 integer digits, a sign, a point and the decimals.
  std::string text(320 + static_cast<std::size_t>(std::max(decimals, 0)), '\0');
  text.resize(number_chars(text, value, std::chars_format::fixed, std::max(decimals, 0)).size());
  return text;
}

}  // namespace veltrane
