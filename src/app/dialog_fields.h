#pragma once

#include <array>
#include <string>

#include "app/window_fields.h"

namespace veltrane {

class Dialog;

/// A text box of a window and the field of its record that holds its text.
template <typename Fields>
struct TextBoxField {
  int id;
  std::string Fields::*text;
};

/// The main window's text boxes, in the order the window reads them.
extern const std::array<TextBoxField<MainWindowFields>, 6> main_window_text_boxes;

/// The custom strobe dialog's text boxes, in the order the dialog reads them.
extern const std::array<TextBoxField<CustomStrobeFields>, 4> custom_strobe_text_boxes;

/// What the main window holds: its boxes in their fixed order, then its alignment options
/// (the last checked one wins; none checked gives 0).
MainWindowFields main_window_fields_of(const Dialog& main_window);

/// What the custom strobe dialog holds.
CustomStrobeFields custom_strobe_fields_of(const Dialog& custom_dialog);

}  // namespace veltrane
