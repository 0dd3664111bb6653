#pragma once

#include <array>
#include <string_view>

namespace veltrane {

/// A preset button of the main window: the texts it writes into the two radius boxes.
struct GroovePreset {
  std::string_view key;  ///< "din", "iec", "typical"
  std::string_view inner_text;
  std::string_view outer_text;
};

inline constexpr std::array<GroovePreset, 3> groove_presets = {{
    {"din", "57.5", "146.05"},
    {"iec", "60.325", "146.05"},
    {"typical", "63", "145"},
}};

}  // namespace veltrane
