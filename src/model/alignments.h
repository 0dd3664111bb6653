#pragma once

#include <array>
#include <string_view>

#include "model/parameter_set.h"

namespace veltrane {

/// One alignment: its key on the command line and in files, the name shown to people, and
/// its code in ParameterSet::alignment.
struct Alignment {
  std::string_view key;
  std::string_view name;
  AlignmentCode code;
};

/// Every alignment, in the order the window, the pages and the reports list them. Each name
/// is a whole string literal, so that its data() is a C string for the window's captions.
inline constexpr std::array<Alignment, 3> alignments = {{
    {"lofgren-a", "L\u00F6fgren A", alignment_lofgren_a},
    {"lofgren-b", "L\u00F6fgren B", alignment_lofgren_b},
    {"stevenson-a", "Stevenson A", alignment_stevenson_a},
}};

/// Null radii of the user's own (veltrane-cli --nulls): not one of the window's alignments,
/// and in an analysis only when chosen.
inline constexpr Alignment custom_nulls = {"custom", "Custom", alignment_custom_nulls};

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
