// The numeric field reading, the fixed-length texts, the character set conversion, the
// three-decimal format and the font size rule, on one arbitrary text.
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

#include "fuzz/fuzz_input.h"
#include "model/field_reading.h"
#include "model/number_format.h"
#include "model/parameter_set.h"
#include "print/print_job.h"
#include "support/page_checks.h"

namespace veltrane {
namespace {

bool same_number(double a, double b) {
  return a == b && std::signbit(a) == std::signbit(b);
}

// A plain decimal text such as "12.5" or "007", short enough for any reader to agree on.
bool is_plain_decimal(std::string_view text) {
  if (text.empty() || text.size() > 60 || text.front() == '.') return false;
  bool point = false;
  for (char c : text) {
    if (c == '.' && !point) {
      point = true;
    } else if (c < '0' || c > '9') {
      return false;
    }
  }
  return true;
}

// (Not `"-" + std::string(text)`: GCC 12 warns wrongly about overlapping copies there.)
std::string prefixed(std::string_view prefix, std::string_view text) {
  std::string out(prefix);
  out += text;
  return out;
}

void check_number_reading(std::string_view text) {
  const double number = read_number(text);
  require(!std::isnan(number), "read_number gave NaN");
  require(same_number(read_number(std::string(text) + "x12"), number),
          "text after the number changed it");
  require(same_number(read_number(prefixed(" \t\r\n", text)), number),
          "leading blanks changed the number");
  if (!text.empty() && ((text.front() >= '0' && text.front() <= '9') || text.front() == '.')) {
    // Compared with ==: "-." reads as plain 0, which is no number's negative zero.
    require(read_number(prefixed("-", text)) == -number, "a minus sign");
  }
  if (is_plain_decimal(text)) {
    require(number == std::strtod(std::string(text).c_str(), nullptr), "differs from strtod");
  }

  const std::int32_t bars = read_bar_count(text);
  if (number >= std::numeric_limits<std::int32_t>::min() &&
      number <= std::numeric_limits<std::int32_t>::max()) {
    require(std::fabs(bars - number) <= 0.5, "bar count is not the nearest integer");
  } else {
    require(bars == (number > 0 ? std::numeric_limits<std::int32_t>::max()
                                : std::numeric_limits<std::int32_t>::min()),
            "bar count beyond the 32-bit range is not clamped");
  }

  const std::string shown = format_three_decimals(number);
  require(is_three_decimal_text(shown), "three-decimal format: " + shown);
  if (std::fabs(number) < 1e9) {
    require(std::fabs(std::strtod(shown.c_str(), nullptr) - number) <= 0.000501,
            "three-decimal format is not within half a thousandth: " + shown);
  }

  for (int dpi : {1, 72, 600, 9600}) {
    const int em = font_em_height_dots(static_cast<float>(12 * number), dpi);
    require(em >= 1 && em <= (1 << 30), "font em height out of range");
  }
}

void check_texts(std::string_view text) {
  const std::string cp1252 = utf8_to_cp1252(text);
  require(cp1252.size() <= text.size(), "conversion grew the text");
  const std::string back = cp1252_to_utf8(cp1252);
  require(is_valid_utf8(back), "conversion back is not UTF-8");
  require(utf8_to_cp1252(back) == cp1252, "Windows-1252 round trip");
  if (cp1252.find('?') == std::string::npos && text.find('?') == std::string::npos) {
    require(back == text, "a representable UTF-8 text did not come back unchanged");
  }
  require(utf8_to_cp1252(cp1252_to_utf8(text)) == text, "bytes did not survive UTF-8");

  const std::string id = left_aligned_text(cp1252, id_text_length);
  require(id.size() == id_text_length, "ID length");
  require(std::string_view(id).substr(0, cp1252.size()) ==
              std::string_view(cp1252).substr(0, id_text_length),
          "ID does not start with the text");
  require(id.find_first_not_of(' ', std::min(cp1252.size(), id_text_length)) == std::string::npos,
          "ID padding");

  const std::string caption = centred_text(cp1252, caption_length);
  require(caption.size() == caption_length, "caption length");
  const std::size_t before =
      cp1252.size() >= caption_length ? 0 : (caption_length - cp1252.size()) / 2;
  require(caption.substr(before, std::min(cp1252.size(), caption_length)) ==
              cp1252.substr(0, caption_length),
          "caption is not the text centred");

  require(make_print_font(text, 12, false).face.size() <= 31, "font face longer than 31");
}

}  // namespace
}  // namespace veltrane

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text = veltrane::input_text(data, size);
  veltrane::check_number_reading(text);
  veltrane::check_texts(text);
  return 0;
}
