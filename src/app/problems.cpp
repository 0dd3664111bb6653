#include "app/problems.h"

#include <algorithm>

#include "model/field_reading.h"
#include "model/number_format.h"
#include "model/strobe_speed.h"

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

std::string value_text(double value, const Quantity& quantity) {
  std::string text = shortest_number(value);
  if (!quantity.unit.empty()) text += " " + std::string(quantity.unit);
  return text;
}

std::optional<double> read_typed_number(std::string_view text, Reading reading) {
  if (reading == Reading::as_typed) return read_number(text);
  std::string whole(text);
  if (reading == Reading::decimal_comma && std::count(whole.begin(), whole.end(), ',') == 1 &&
      whole.find('.') == std::string::npos)
    std::replace(whole.begin(), whole.end(), ',', '.');
  return read_finite_decimal(whole);
}

void ProblemList::add(std::string_view field, std::string words) {
  problems_.push_back({std::string(field), std::move(words)});
}

std::optional<double> ProblemList::number(const Quantity& quantity, std::string_view text,
                                          std::string_view example) {
  const std::optional<double> value = read_typed_number(text, reading_);
  if (!value) {
    std::string words = std::string(quantity.name) + " must be a number";
    if (!quantity.unit.empty()) words += " of " + std::string(quantity.unit);
    words += ", such as " + std::string(example) + ", not " + quoted_text(text);
    add(quantity.field, std::move(words));
  }
  return value;
}

std::optional<double> ProblemList::positive(const Quantity& quantity, std::string_view text,
                                            std::string_view example) {
  const std::optional<double> value = number(quantity, text, example);
  if (!value || reading_ == Reading::as_typed || *value > 0) return value;
  add(quantity.field, std::string(quantity.name) + " must be more than 0" +
                          (quantity.unit.empty() ? "" : " " + std::string(quantity.unit)) +
                          ", not " + value_text(*value, quantity));
  return std::nullopt;
}

}  // namespace veltrane
