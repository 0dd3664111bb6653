#include "print/text_extent.h"

#include <array>
#include <optional>

namespace veltrane {
namespace {

// Advance widths in thousandths of an em for the characters from ' ' to '~'.
// clang-format off
constexpr std::array<int, 95> ascii_widths = {
    278, 278, 355, 556, 556, 889, 667, 191, 333, 333, 389, 584, 278, 333, 278, 278,  //  !"#$%&'()*+,-./
    556, 556, 556, 556, 556, 556, 556, 556, 556, 556, 278, 278, 584, 584, 584, 556,  // 0-9 :;<=>?
    1015, 667, 667, 722, 722, 667, 611, 778, 722, 278, 500, 667, 556, 833, 722, 778,  // @A-O
    667, 778, 722, 667, 611, 722, 667, 944, 667, 667, 611, 278, 278, 278, 469, 556,  // P-Z [\]^_
    333, 556, 556, 500, 556, 556, 278, 556, 556, 222, 222, 500, 222, 833, 556, 556,  // `a-o
    556, 556, 333, 500, 278, 556, 500, 722, 500, 500, 500, 334, 260, 334, 584,       // p-z {|}~
};
// clang-format on

// The other characters the pages draw, with the face's widths.
struct Width {
  char32_t code;
  int thousandths;
};
constexpr Width other_widths[] = {
    {U'\u00B0', 400},  // degree sign
    {U'\u00D6', 778},  // Ö
    {U'\u00F6', 556},  // ö
    {U'\u2013', 556},  // en dash
    {U'\u2212', 584},  // minus sign
};

// The code point of the well-formed UTF-8 sequence at the start of `utf8`, or none.
std::optional<char32_t> first_code_point(std::string_view utf8) {
  const auto lead = static_cast<unsigned char>(utf8[0]);
  const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
  if (length > utf8.size() || lead > 0xF4) return std::nullopt;
  char32_t code = length == 1 ? lead : lead & (0x7F >> length);
  for (std::size_t i = 1; i < length; ++i) {
    const auto byte = static_cast<unsigned char>(utf8[i]);
    if ((byte & 0xC0) != 0x80) return std::nullopt;
    code = (code << 6) | (byte & 0x3F);
  }
  return code;
}

int width_thousandths(std::string_view utf8) {
  const auto byte = static_cast<unsigned char>(utf8[0]);
  if (byte >= ' ' && byte <= '~') return ascii_widths[byte - ' '];
  if (const auto code = first_code_point(utf8)) {
    for (const Width& width : other_widths)
      if (width.code == *code) return width.thousandths;
  }
  return 1000;
}

}  // namespace

double text_width_em(std::string_view utf8) {
  int thousandths = 0;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const auto byte = static_cast<unsigned char>(utf8[i]);
    if (byte >= 0x80 && byte < 0xC0) continue;  // the rest of a character already counted
    thousandths += width_thousandths(utf8.substr(i));
  }
  return thousandths / 1000.0;
}

double font_em_mm(const PrintFont& font) {
  // At 25400 dots per inch a dot is a micrometre.
  return font_em_height_dots(font.size_pt, 25400) / 1000.0;
}

}  // namespace veltrane
