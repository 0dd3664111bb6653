#include "cli/arguments.h"

#include <charconv>
#include <cmath>

namespace veltrane {

std::string quoted_text(std::string_view text) {
  static constexpr char hex[] = "0123456789abcdef";
  std::string result = "'";
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == '\n') {
      result += "\\n";
    } else if (c == '\t') {
      result += "\\t";
    } else if (c == '\r') {
      result += "\\r";
    } else if (c < 0x20 || c == 0x7F) {
      result += "\\x";
      result += hex[c >> 4];
      result += hex[c & 0xF];
    } else if (c == 0xC2 && i + 1 < text.size() &&
               (static_cast<unsigned char>(text[i + 1]) & 0xE0) == 0x80) {
      // U+0080 to U+009F, the control characters of UTF-8 beyond ASCII.
      const auto code = static_cast<unsigned char>(text[++i]);
      result += "\\u00";
      result += hex[code >> 4];
      result += hex[code & 0xF];
    } else {
      result += static_cast<char>(c);
    }
  }
  result += '\'';
  return result;
}

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
