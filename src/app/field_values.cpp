#include "app/field_values.h"

#include "ui/control_ids.h"
#include "ui/window_descriptions.h"

namespace veltrane {

std::string FieldValues::get_text(int id) const {
  const auto it = texts.find(id);
  return it == texts.end() ? std::string() : it->second;
}

int FieldValues::get_check(int id) const {
  const auto it = checks.find(id);
  return it == checks.end() ? 0 : it->second;
}

void FieldValues::set_option(int first, int last, int checked) {
  for (int id = first; id <= last; ++id) checks[id] = id == checked ? 1 : 0;
}

namespace {

FieldValues fields_of(const DialogDescription& description) {
  FieldValues fields;
  for (const ControlDescription& control : description.controls) {
    if (control.kind == ControlKind::text_box) fields.texts[control.id] = control.text;
  }
  return fields;
}

}  // namespace

FieldValues initial_main_window_fields() {
  FieldValues fields = fields_of(main_window_description());
  fields.set_option(id_lofgren_a, id_stevenson_a, id_lofgren_a);
  return fields;
}

FieldValues initial_custom_strobe_fields() {
  return fields_of(custom_strobe_description());
}

}  // namespace veltrane
