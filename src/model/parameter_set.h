#pragma once

#include <cstdint>
#include <string>

namespace veltrane {

/// Alignment codes as stored in ParameterSet::alignment.
enum AlignmentCode : std::int16_t {
  alignment_lofgren_a = 1,
  alignment_lofgren_b = 2,
  alignment_stevenson_a = 3,
  alignment_custom_nulls = 4,  ///< the null radii given as custom_null_radius_1 and _2
};

inline constexpr std::size_t id_text_length = 40;
inline constexpr std::size_t caption_length = 36;

/// Every input and derived value of one print request. Lengths in mm, angles in degrees.
/// Texts hold one Windows-1252 byte per character.
struct ParameterSet {
  // Inputs, from the main window.
  double pivot_to_spindle = 0;
  double inner_groove_radius = 0;
  double outer_groove_radius = 0;
  std::int16_t alignment = 0;
  double correction_x = 0;
  double correction_y = 0;
  std::string id_text;  ///< exactly id_text_length bytes once read

  // Inputs the window does not have: the null radii of alignment_custom_nulls, in either
  // order (the smaller is the inner null radius).
  double custom_null_radius_1 = 0;
  double custom_null_radius_2 = 0;

  // Derived by compute_alignment.
  double inner_null_radius = 0;
  double outer_null_radius = 0;
  double effective_length = 0;
  double overhang = 0;
  double offset_angle = 0;
  double null_radius_mean = 0;  ///< Löfgren B working value

  // Custom strobe, from the custom strobe dialog.
  std::int32_t custom_outer_bars = 0;
  std::int32_t custom_inner_bars = 0;
  std::string custom_caption_1;  ///< exactly caption_length bytes once read
  std::string custom_caption_2;
};

}  // namespace veltrane
