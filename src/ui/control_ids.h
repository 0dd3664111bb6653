#pragma once

namespace veltrane {

// Control identifiers of the main window.
inline constexpr int id_pivot_caption = 1001;
inline constexpr int id_inner_caption = 1002;
inline constexpr int id_outer_caption = 1003;
inline constexpr int id_pivot = 1005;
inline constexpr int id_pivot_unit = 1006;
inline constexpr int id_inner_radius = 1007;
inline constexpr int id_outer_radius = 1008;
inline constexpr int id_inner_unit = 1009;
inline constexpr int id_outer_unit = 1010;
inline constexpr int id_lofgren_a = 1011;
inline constexpr int id_lofgren_b = 1012;
inline constexpr int id_stevenson_a = 1013;
inline constexpr int id_print_template = 1014;
inline constexpr int id_print_60hz = 1015;
inline constexpr int id_print_50hz = 1016;
inline constexpr int id_help = 1017;
inline constexpr int id_correction_x_caption = 1018;
inline constexpr int id_correction_x = 1019;
inline constexpr int id_preset_din = 1020;
inline constexpr int id_preset_iec = 1021;
inline constexpr int id_preset_typical = 1022;
inline constexpr int id_correction_y_caption = 1023;
inline constexpr int id_correction_y = 1024;
inline constexpr int id_print_custom = 1025;
inline constexpr int id_id_caption = 1036;
inline constexpr int id_id_text = 1037;

// Control identifiers of the custom strobe dialog.
inline constexpr int id_outer_bars_caption = 1026;
inline constexpr int id_inner_bars_caption = 1027;
inline constexpr int id_caption_1_caption = 1028;
inline constexpr int id_caption_2_caption = 1029;
inline constexpr int id_outer_bars = 1030;
inline constexpr int id_inner_bars = 1031;
inline constexpr int id_caption_1 = 1032;
inline constexpr int id_caption_2 = 1033;
inline constexpr int id_custom_ok = 1034;
inline constexpr int id_custom_cancel = 1035;

}  // namespace veltrane
