#include "print/text_extent.h"

#include <array>

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

}  // namespace

double text_width_em(std::string_view utf8) {
  int thousandths = 0;
  for (char c : utf8) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x80 && byte < 0xC0) continue;  // the rest of a character already counted
    thousandths += byte >= ' ' && byte <= '~' ? ascii_widths[byte - ' '] : 1000;
  }
  return thousandths / 1000.0;
}

double font_em_mm(const PrintFont& font) {
  // At 25400 dots per inch a dot is a micrometre.
  return font_em_height_dots(font.size_pt, 25400) / 1000.0;
}

}  // namespace veltrane
