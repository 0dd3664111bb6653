#include "app/read_fields.h"

#include "model/field_reading.h"
#include "model/geometry.h"

namespace veltrane {
namespace {

// A text box holds one line. A pasted or scripted text can still carry line breaks and
// other control characters; as spaces they can neither split the summary's nine lines nor
// reach a printer as controls, and the character count stays as typed.
std::string one_line(std::string cp1252) {
  for (char& c : cp1252) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
  }
  return cp1252;
}

}  // namespace

void read_parameters(ParameterSet& set, const MainWindowFields& fields) {
  set.pivot_to_spindle = read_number(fields.pivot);
  set.inner_groove_radius = read_number(fields.inner_radius);
  set.outer_groove_radius = read_number(fields.outer_radius);
  set.correction_x = read_number(fields.correction_x);
  set.correction_y = read_number(fields.correction_y);
  set.id_text = left_aligned_text(one_line(utf8_to_cp1252(fields.id_text)), id_text_length);
  if (fields.alignment != 0) set.alignment = fields.alignment;
  compute_alignment(set);
}

void read_custom_strobe(ParameterSet& set, const CustomStrobeFields& fields) {
  set.custom_outer_bars = read_bar_count(fields.outer_bars);
  set.custom_inner_bars = read_bar_count(fields.inner_bars);
  set.custom_caption_1 = centred_text(one_line(utf8_to_cp1252(fields.caption_1)), caption_length);
  set.custom_caption_2 = centred_text(one_line(utf8_to_cp1252(fields.caption_2)), caption_length);
}

}  // namespace veltrane
