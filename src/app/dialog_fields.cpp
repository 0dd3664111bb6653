#include "app/dialog_fields.h"

#include "model/parameter_set.h"
#include "ui/control_ids.h"
#include "ui/dialog.h"
#include "ui/window_descriptions.h"

namespace veltrane {

const std::array<TextBoxField<MainWindowFields>, 6> main_window_text_boxes = {{
    {id_pivot, &MainWindowFields::pivot},
    {id_inner_radius, &MainWindowFields::inner_radius},
    {id_outer_radius, &MainWindowFields::outer_radius},
    {id_correction_x, &MainWindowFields::correction_x},
    {id_correction_y, &MainWindowFields::correction_y},
    {id_id_text, &MainWindowFields::id_text},
}};

const std::array<TextBoxField<CustomStrobeFields>, 4> custom_strobe_text_boxes = {{
    {id_outer_bars, &CustomStrobeFields::outer_bars},
    {id_inner_bars, &CustomStrobeFields::inner_bars},
    {id_caption_1, &CustomStrobeFields::caption_1},
    {id_caption_2, &CustomStrobeFields::caption_2},
}};

namespace {

struct AlignmentOption {
  int id;
  AlignmentCode code;
};

constexpr AlignmentOption alignment_options[] = {
    {id_lofgren_a, alignment_lofgren_a},
    {id_lofgren_b, alignment_lofgren_b},
    {id_stevenson_a, alignment_stevenson_a},
};

template <typename Fields, std::size_t count>
Fields texts_of(const Dialog& dialog, const std::array<TextBoxField<Fields>, count>& boxes) {
  Fields fields;
  for (const auto& box : boxes) fields.*box.text = dialog.get_text(box.id);
  return fields;
}

// The initial texts are those the window descriptions give their boxes.
template <typename Fields, std::size_t count>
Fields texts_of(const DialogDescription& description,
                const std::array<TextBoxField<Fields>, count>& boxes) {
  Fields fields;
  for (const auto& box : boxes) {
    for (const ControlDescription& control : description.controls)
      if (control.id == box.id) fields.*box.text = control.text;
  }
  return fields;
}

}  // namespace

MainWindowFields main_window_fields_of(const Dialog& main_window) {
  MainWindowFields fields = texts_of(main_window, main_window_text_boxes);
  for (const AlignmentOption& option : alignment_options)
    if (main_window.get_check(option.id)) fields.alignment = option.code;
  return fields;
}

CustomStrobeFields custom_strobe_fields_of(const Dialog& custom_dialog) {
  return texts_of(custom_dialog, custom_strobe_text_boxes);
}

MainWindowFields initial_main_window_fields() {
  MainWindowFields fields = texts_of(main_window_description(), main_window_text_boxes);
  fields.alignment = alignment_lofgren_a;
  return fields;
}

CustomStrobeFields initial_custom_strobe_fields() {
  return texts_of(custom_strobe_description(), custom_strobe_text_boxes);
}

}  // namespace veltrane
