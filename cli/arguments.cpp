#include "cli/arguments.h"

#include <charconv>
#include <cmath>

namespace veltrane {

std::optional<double> read_decimal_number(std::string_view text) {
  if (text.starts_with('+')) {
    text.remove_prefix(1);
    if (text.starts_with('-')) return std::nullopt;
  }
  double value = 0;
  const char* const end = text.data() + text.size();
  const auto result = std::from_chars(text.data(), end, value, std::chars_format::general);
  if (result.ec != std::errc() || result.ptr != end || !std::isfinite(value)) return std::nullopt;
  return value;
}

std::optional<double> read_positive_number(std::string_view text) {
  const std::optional<double> value = read_decimal_number(text);
  if (!value || !(*value > 0)) return std::nullopt;
  return value;
}

std::optional<std::pair<double, double>> read_number_pair(std::string_view text) {
  const auto comma = text.find(',');
  if (comma == std::string_view::npos) return std::nullopt;
  const std::optional<double> first = read_decimal_number(text.substr(0, comma));
  const std::optional<double> second = read_decimal_number(text.substr(comma + 1));
  if (!first || !second) return std::nullopt;
  return std::pair{*first, *second};
}

}  // namespace veltrane
