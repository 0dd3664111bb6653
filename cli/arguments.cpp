#include "cli/arguments.h"

#include <charconv>
#include <cmath>

namespace veltrane {

std::optional<double> read_positive_number(std::string_view text) {
  if (text.starts_with('+')) text.remove_prefix(1);
  double value = 0;
  const char* const end = text.data() + text.size();
  const auto result = std::from_chars(text.data(), end, value, std::chars_format::general);
  if (result.ec != std::errc() || result.ptr != end || !std::isfinite(value) || !(value > 0))
    return std::nullopt;
  return value;
}

}  // namespace veltrane
