#pragma once

#include <cstdint>
#include <string>

namespace veltrane {

/// The texts of the main window's boxes and its checked alignment, as typed (UTF-8).
struct MainWindowFields {
  std::string pivot;
  std::string inner_radius;
  std::string outer_radius;
  std::string correction_x;
  std::string correction_y;
  std::string id_text;
  std::int16_t alignment = 0;  ///< the checked option's AlignmentCode; 0 when none is checked

  bool operator==(const MainWindowFields&) const = default;
};

/// The texts of the custom strobe dialog's boxes, as typed (UTF-8).
struct CustomStrobeFields {
  std::string outer_bars;
  std::string inner_bars;
  std::string caption_1;
  std::string caption_2;

  bool operator==(const CustomStrobeFields&) const = default;
};

/// The main window's fields as they stand when the window opens.
MainWindowFields initial_main_window_fields();

/// The custom strobe dialog's fields as they stand when it opens.
CustomStrobeFields initial_custom_strobe_fields();

}  // namespace veltrane
