#pragma once

#include <optional>
#include <string_view>

namespace veltrane {

/// Groove radii of a record standard, as the texts the window's preset buttons type.
struct GroovePreset {
  std::string_view key;  ///< as veltrane-cli's --radii names it
  std::string_view inner_mm;
  std::string_view outer_mm;
};

inline constexpr GroovePreset groove_din{"din", "57.5", "146.05"};
inline constexpr GroovePreset groove_iec{"iec", "60.325", "146.05"};
/// The JIS disk-record limits: the music groove ends at a diameter of at least 115.2 mm and
/// begins at most at 293 mm.
inline constexpr GroovePreset groove_jis{"jis", "57.6", "146.5"};
inline constexpr GroovePreset groove_typical{"typical", "63", "145"};

inline constexpr GroovePreset groove_presets[] = {groove_din, groove_iec, groove_jis,
                                                  groove_typical};

/// The preset of that key; nullopt for any other text.
constexpr std::optional<GroovePreset> groove_preset_named(std::string_view key) {
  for (const GroovePreset& preset : groove_presets) {
    if (preset.key == key) return preset;
  }
  return std::nullopt;
}

}  // namespace veltrane
