#include "app/read_fields.h"

#include "model/field_reading.h"
#include "model/geometry.h"
#include "ui/control_ids.h"
#include "ui/dialog.h"

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

void read_parameters(ParameterSet& set, const Dialog& main_window) {
  set.pivot_to_spindle = read_number(main_window.get_text(id_pivot));
  set.inner_groove_radius = read_number(main_window.get_text(id_inner_radius));
  set.outer_groove_radius = read_number(main_window.get_text(id_outer_radius));
  set.correction_x = read_number(main_window.get_text(id_correction_x));
  set.correction_y = read_number(main_window.get_text(id_correction_y));
  set.id_text =
      left_aligned_text(one_line(utf8_to_cp1252(main_window.get_text(id_id_text))), id_text_length);
  if (main_window.get_check(id_lofgren_a)) set.alignment = alignment_lofgren_a;
  if (main_window.get_check(id_lofgren_b)) set.alignment = alignment_lofgren_b;
  if (main_window.get_check(id_stevenson_a)) set.alignment = alignment_stevenson_a;
  compute_alignment(set);
}

void read_custom_strobe(ParameterSet& set, const Dialog& custom_dialog) {
  set.custom_outer_bars = read_bar_count(custom_dialog.get_text(id_outer_bars));
  set.custom_inner_bars = read_bar_count(custom_dialog.get_text(id_inner_bars));
  set.custom_caption_1 =
      centred_text(one_line(utf8_to_cp1252(custom_dialog.get_text(id_caption_1))), caption_length);
  set.custom_caption_2 =
      centred_text(one_line(utf8_to_cp1252(custom_dialog.get_text(id_caption_2))), caption_length);
}

}  // namespace veltrane
