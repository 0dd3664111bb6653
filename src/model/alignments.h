#pragma once

#include <array>
#include <span>
#include <string_view>

#include "model/parameter_set.h"

namespace veltrane {

/// How a curve is drawn on the chart: lengths in millimetres, alternately drawn and left out,
/// the pattern running on along the curve; empty is solid.
using DashPattern = std::span<const double>;

inline constexpr double dashes_mm[] = {2.4, 1.2};
inline constexpr double dots_mm[] = {0.1, 0.7};  // the pen's round caps make them round
inline constexpr double long_dashes_mm[] = {6.0, 1.5};
inline constexpr double dash_dot_mm[] = {3.6, 1.0, 0.1, 1.0};
inline constexpr double dash_dot_dot_mm[] = {3.6, 1.0, 0.1, 1.0, 0.1, 1.0};

/// One alignment: its key on the command line and in files, the name shown to people, its
/// code in ParameterSet::alignment, and its curve on the printed chart and on screens, which
/// it keeps whichever others are drawn beside it.
struct Alignment {
  std::string_view key;
  std::string_view name;
  AlignmentCode code{};
  DashPattern dash_mm{};
  int screen_colour = 0;             ///< the page's colour number for it
  std::string_view screen_dashes{};  ///< px, as SVG's stroke-dasharray; empty is solid
};

/// Every alignment, in the order the window, the pages and the reports list them. Each name
/// is a whole string literal, so that its data() is a C string for the window's captions.
inline constexpr std::array<Alignment, 3> alignments = {{
    {"lofgren-a", "L\u00F6fgren A", alignment_lofgren_a, {}, 0, ""},
    {"lofgren-b", "L\u00F6fgren B", alignment_lofgren_b, dashes_mm, 1, "7 4"},
    {"stevenson-a", "Stevenson A", alignment_stevenson_a, dots_mm, 2, "1 4"},
}};

/// Null radii of the user's own (veltrane-cli --nulls): not one of the window's alignments,
/// and in an analysis only when chosen.
inline constexpr Alignment custom_nulls = {.key = "custom",
                                           .name = "Custom",
                                           .code = alignment_custom_nulls,
                                           .dash_mm = long_dashes_mm,
                                           .screen_colour = 3,
                                           .screen_dashes = "12 4"};

/// The arms an analysis sets beside the alignments: an arm as its maker built it, and the
/// chosen alignment as mounted. Keyed, named and drawn as alignments are, but with no code.
inline constexpr Alignment arm_as_given = {.key = "as-given",
                                           .name = "As given",
                                           .dash_mm = dash_dot_mm,
                                           .screen_colour = 4,
                                           .screen_dashes = "9 3 1 3"};
// Screens show the arm as mounted only in the figures, never as a curve.
inline constexpr Alignment arm_as_mounted = {
    .key = "mounted", .name = "As mounted", .dash_mm = dash_dot_dot_mm};

/// How the template's heading and a page's title name custom null radii.
inline constexpr std::string_view custom_nulls_title = "Custom nulls";

/// The alignment of `code`, or nullptr for a code that is none.
constexpr const Alignment* alignment_of(int code) {
  for (const Alignment& alignment : alignments)
    if (alignment.code == code) return &alignment;
  return nullptr;
}

/// The name of the alignment of `code` as pages are titled with it ("Löfgren A", "Custom
/// nulls"), empty for a code that is none.
constexpr std::string_view alignment_name(int code) {
  if (code == alignment_custom_nulls) return custom_nulls_title;
  const Alignment* const alignment = alignment_of(code);
  return alignment ? alignment->name : std::string_view();
}

/// The alignment whose key is `key`, or nullptr.
constexpr const Alignment* alignment_keyed(std::string_view key) {
  for (const Alignment& alignment : alignments)
    if (alignment.key == key) return &alignment;
  return nullptr;
}

}  // namespace veltrane
