#include "model/field_reading.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <string>

#include "model/decimal_chars.h"

namespace veltrane {
namespace {

bool is_leading_blank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool is_digit(char c) {
  return c >= '0' && c <= '9';
}

int digit_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 99;
}

double read_radix(std::string_view text) {
  // text starts just after '&'.
  int radix = 8;
  if (!text.empty()) {
    switch (text.front()) {
      case 'H':
      case 'h':
        radix = 16;
        text.remove_prefix(1);
        break;
      case 'B':
      case 'b':
        radix = 2;
        text.remove_prefix(1);
        break;
      case 'O':
      case 'o':
      case 'Q':
      case 'q':
        radix = 8;
        text.remove_prefix(1);
        break;
      default:
        break;  // octal, and the character is not consumed
    }
  }
  // Exact up to 2^53; wider values keep the magnitude and lose low digits, and a
  // long enough run of digits reaches infinity rather than wrapping.
  double value = 0;
  for (char c : text) {
    const int d = digit_value(c);
    if (d >= radix) break;
    value = value * radix + d;
  }
  if (value >= 0x8000 && value <= 0xFFFF) return value - 0x10000;
  if (value >= 2147483648.0 && value <= 4294967295.0) return value - 4294967296.0;
  return value;
}

}  // namespace

double read_number(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && is_leading_blank(text[i])) ++i;
  text.remove_prefix(i);
  if (text.empty()) return 0;
  if (text.front() == '&') return read_radix(text.substr(1));

  // Collect the accepted prefix into a canonical form that from_chars (parse_decimal) reads with
  // one correct rounding, whatever the length of the digit string.
  std::string canonical;
  std::size_t pos = 0;
  bool negative = false;
  if (text[pos] == '+' || text[pos] == '-') {
    negative = text[pos] == '-';
    ++pos;
  }
  bool seen_point = false;
  bool any_digit = false;
  for (; pos < text.size(); ++pos) {
    const char c = text[pos];
    if (is_digit(c)) {
      any_digit = true;
      canonical.push_back(c);
    } else if (c == '.' && !seen_point) {
      seen_point = true;
      canonical.push_back('.');
    } else {
      break;
    }
  }
  if (!any_digit) return 0;  // no leading number, not a negative zero

  long long exponent = 0;
  if (pos < text.size() &&
      (text[pos] == 'E' || text[pos] == 'e' || text[pos] == 'D' || text[pos] == 'd')) {
    ++pos;
    bool exponent_negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
      exponent_negative = text[pos] == '-';
      ++pos;
    }
    for (; pos < text.size() && is_digit(text[pos]); ++pos) {
      exponent = std::min<long long>(exponent * 10 + (text[pos] - '0'), 9999);
    }
    if (exponent_negative) exponent = -exponent;
  }
  canonical.push_back('e');
  canonical += std::to_string(exponent);

  const double value = parse_decimal(canonical);
  return negative ? -value : value;
}

std::int32_t read_bar_count(std::string_view text) {
  const double rounded = std::nearbyint(read_number(text));  // default mode: half to even
  if (std::isnan(rounded)) return 0;
  if (rounded >= 2147483647.0) return std::numeric_limits<std::int32_t>::max();
  if (rounded <= -2147483648.0) return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(rounded);
}

namespace {

// Unicode code points of the bytes 0x80..0x9F. The five bytes Windows-1252 leaves
// undefined map to the C1 control of the same value, as the system's own conversion does.
constexpr std::array<char16_t, 32> cp1252_high = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char code_point_to_cp1252(char32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<char>(cp);
  for (std::size_t i = 0; i < cp1252_high.size(); ++i) {
    if (cp1252_high[i] == cp) return static_cast<char>(0x80 + i);
  }
  return '?';
}

void append_utf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

}  // namespace

std::string utf8_to_cp1252(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  std::size_t i = 0;
  while (i < utf8.size()) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    int extra = 0;
    char32_t cp = 0;
    if (lead < 0x80) {
      cp = lead;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
      extra = 1, cp = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      extra = 2, cp = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      extra = 3, cp = lead & 0x07;
    } else {
      out.push_back('?');  // a stray byte is one unreadable character
      ++i;
      continue;
    }
    std::size_t j = i + 1;
    bool valid = true;
    for (int k = 0; k < extra; ++k, ++j) {
      if (j >= utf8.size() || (static_cast<unsigned char>(utf8[j]) & 0xC0) != 0x80) {
        valid = false;
        break;
      }
      cp = (cp << 6) | (static_cast<unsigned char>(utf8[j]) & 0x3F);
    }
    const bool overlong = (extra == 2 && cp < 0x800) || (extra == 3 && cp < 0x10000);
    if (!valid || overlong || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
      out.push_back('?');
      i = valid ? j : i + 1;
      continue;
    }
    out.push_back(code_point_to_cp1252(cp));
    i = j;
  }
  return out;
}

std::string cp1252_to_utf8(std::string_view cp1252) {
  std::string out;
  out.reserve(cp1252.size() + cp1252.size() / 4);
  for (char c : cp1252) {
    const auto byte = static_cast<unsigned char>(c);
    append_utf8(out, byte >= 0x80 && byte < 0xA0 ? cp1252_high[byte - 0x80] : char32_t{byte});
  }
  return out;
}

std::string left_aligned_text(std::string_view cp1252, std::size_t length) {
  std::string out(cp1252.substr(0, length));
  out.resize(length, ' ');
  return out;
}

std::string centred_text(std::string_view cp1252, std::size_t length) {
  if (cp1252.size() >= length) return std::string(cp1252.substr(0, length));
  const std::size_t before = (length - cp1252.size()) / 2;
  std::string out(before, ' ');
  out += cp1252;
  out.resize(length, ' ');
  return out;
}

}  // namespace veltrane
