#include "ui/window_descriptions.h"

#include <array>
#include <cstdint>

#include "model/alignments.h"
#include "model/standard_strobes.h"
#include "ui/control_ids.h"

namespace veltrane {
namespace {

using K = ControlKind;

// clang-format off
constexpr std::array main_controls = {
    ControlDescription{id_pivot_caption,        K::label,         "Spindle to Pivot Distance",   20,  20, 80, 15},
    ControlDescription{id_inner_caption,        K::label,         "Inner Groove Radius",         20,  40, 80, 15},
    ControlDescription{id_outer_caption,        K::label,         "Outer Groove Radius",         20,  60, 80, 15},
    ControlDescription{id_pivot,                K::text_box,      "209",                        115,  20, 35, 10, true, id_pivot_caption},
    ControlDescription{id_pivot_unit,           K::label,         "mm",                         155,  20, 15, 15},
    ControlDescription{id_inner_radius,         K::text_box,      "57.5",                       115,  40, 35, 10, false, id_inner_caption},
    ControlDescription{id_outer_radius,         K::text_box,      "146.05",                     115,  60, 35, 10, false, id_outer_caption},
    ControlDescription{id_inner_unit,           K::label,         "mm",                         155,  40, 15, 15},
    ControlDescription{id_outer_unit,           K::label,         "mm",                         155,  60, 15, 15},
    ControlDescription{id_lofgren_a,            K::option_button, alignments[0].name.data(),     20, 145, 55, 15, true},
    ControlDescription{id_lofgren_b,            K::option_button, alignments[1].name.data(),     20, 160, 55, 15},
    ControlDescription{id_stevenson_a,          K::option_button, alignments[2].name.data(),     20, 175, 55, 15},
    ControlDescription{id_print_template,       K::push_button,   "Print Arc Template",          80, 145, 65, 15},
    ControlDescription{id_print_60hz,           K::push_button,   "Print 60Hz Strobe",          150, 145, 65, 15},
    ControlDescription{id_print_50hz,           K::push_button,   "Print 50Hz Strobe",          150, 170, 65, 15},
    ControlDescription{id_help,                 K::push_button,   "Help",                       185,  80, 30, 15},
    ControlDescription{id_correction_x_caption, K::label,         "Printer Correction Factor X", 20,  80, 90, 15},
    ControlDescription{id_correction_x,         K::text_box,      "1.0",                        115,  80, 35, 10, false, id_correction_x_caption},
    ControlDescription{id_preset_din,           K::push_button,   "DIN",                        185,  20, 30, 15},
    ControlDescription{id_preset_iec,           K::push_button,   "IEC",                        185,  40, 30, 15},
    ControlDescription{id_preset_typical,       K::push_button,   "Typical",                    185,  60, 30, 15},
    ControlDescription{id_correction_y_caption, K::label,         "Printer Correction Factor Y", 20, 100, 90, 15},
    ControlDescription{id_correction_y,         K::text_box,      "1.0",                        115, 100, 35, 10, false, id_correction_y_caption},
    ControlDescription{id_print_custom,         K::push_button,   "Print Custom Strobe",         80, 170, 65, 15},
    ControlDescription{id_id_caption,           K::label,         "Arm or turntable ID",         20, 120, 90, 15},
    ControlDescription{id_id_text,              K::text_box,      "",                           115, 120, 100, 10, false, id_id_caption},
};

// clang-format on

// A count's decimal text, made while compiling, so that the tables stay constants.
template <std::int32_t count>
constexpr std::array<char, 12> decimal_text = [] {
  static_assert(count >= 0);
  std::array<char, 12> text{};
  int digits = 1;
  for (std::int32_t rest = count; rest >= 10; rest /= 10) ++digits;
  std::int32_t rest = count;
  for (int i = digits - 1; i >= 0; --i, rest /= 10) text[i] = static_cast<char>('0' + rest % 10);
  return text;
}();

// The custom dialog opens on the 60 Hz disk's counts and captions.
constexpr const char* default_outer_bars = decimal_text<strobe_60hz.outer_bars>.data();
constexpr const char* default_inner_bars = decimal_text<strobe_60hz.inner_bars>.data();

// clang-format off
constexpr std::array custom_controls = {
    ControlDescription{id_outer_bars_caption, K::label,       "Number of outer bars",           15,  20,  70, 15},
    ControlDescription{id_inner_bars_caption, K::label,       "Number of inner bars",           15,  50,  70, 15},
    ControlDescription{id_caption_1_caption,  K::label,       "Caption line 1",                 15,  80,  70, 15},
    ControlDescription{id_caption_2_caption,  K::label,       "Caption line 2",                 15, 110,  70, 15},
    ControlDescription{id_outer_bars,         K::text_box,    default_outer_bars,               90,  20,  35, 10, false, id_outer_bars_caption},
    ControlDescription{id_inner_bars,         K::text_box,    default_inner_bars,               90,  50,  35, 10, false, id_inner_bars_caption},
    ControlDescription{id_caption_1,          K::text_box,    strobe_60hz.caption_1,            90,  80, 105, 10, false, id_caption_1_caption},
    ControlDescription{id_caption_2,          K::text_box,    strobe_60hz.caption_2,            90, 110, 105, 10, false, id_caption_2_caption},
    ControlDescription{id_custom_ok,          K::push_button, "OK",                             25, 140,  65, 15},
    ControlDescription{id_custom_cancel,      K::push_button, "Cancel",                        120, 140,  65, 15},
};

constexpr std::array help_lines = {
    "Veltrane",
    "Copyright (c) 2026 the Veltrane developers.",
    "Check the 100, 180 and 200 mm reference marks of every",
    "printout with a ruler before you use it. This program",
    "comes with no warranty of any kind.",
    "",
    "Measure your arm pivot-to-spindle distance carefully.",
    "Choose inner and outer groove radius using standards, ",
    "typical US pop/rock dimensions, or numbers of your",
    "own choosing. Choose an optimization strategy, which",
    "may depend on the adjustment limitations of your table.",
    "Print the alignment template and punch the spindle hole.",
    "Or, cut on the four hash lines with a sharp hobby knife.",
    "Adjust the cartridge overhang so the stylus traces the",
    "radius line exactly. Tape the platter in that position.",
    "Adjust the cartridge body to line up with either grid.",
    "If the cartridge body is tapered, tape small L shaped",
    "wings to the template, equidistant from the grid center-",
    "line to assist in lining up the back of the cartridge.",
    "The printout must be exact. If the 200 mm reference",
    "dimensions are off, enter a printer correction factor",
    "for x and/or y to slightly enlarge or reduce the size for",
    "that axis. You can also use this setting to change the",
    "size of the strobe disks. For more rigid and durable",
    "printouts, use photo paper. Note that L\u00F6fgren A is also",
    "known as Baerwald. *** Read the ReadMe file ***",
};
// clang-format on

const DialogDescription main_description{
    main_window_title, 134, 120, 237, 202, DialogFrame::title_menu_close, main_controls};
const DialogDescription custom_description{
    "Custom Strobe Parameters", 102, 88, 211, 180, DialogFrame::title_only, custom_controls};

}  // namespace

const DialogDescription& main_window_description() {
  return main_description;
}
const DialogDescription& custom_strobe_description() {
  return custom_description;
}

std::string help_text() {
  std::string text = help_lines.front();
  for (std::size_t i = 1; i < help_lines.size(); ++i) {
    text += '\n';
    text += help_lines[i];
  }
  return text;
}

}  // namespace veltrane
