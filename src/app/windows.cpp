#include "app/windows.h"

#include <memory>

#include "app/dialog_fields.h"
#include "app/page_kinds.h"
#include "app/read_fields.h"
#include "model/groove_presets.h"
#include "model/summary.h"
#include "ui/control_ids.h"
#include "ui/window_descriptions.h"

namespace veltrane {
namespace {

// Gives the focus back to the control that had it when the dialog lost activation.
struct FocusMemory {
  int remembered = 0;

  void handle(Dialog& dialog, const DialogEvent& event) {
    if (event.kind == DialogEventKind::deactivated) {
      remembered = dialog.get_focus();
    } else if (event.kind == DialogEventKind::activated && remembered != 0) {
      dialog.set_focus(remembered);
      remembered = 0;
    }
  }
};

PrintOpener printer_of(Toolkit& toolkit) {
  return [&toolkit](std::string_view name) { return toolkit.open_printer(name); };
}

// The window takes no input while one of its commands prints, so that no second job can
// start from it while the ownerless printer dialog is open.
template <typename Command>
void without_input(Dialog& dialog, Command command) {
  dialog.set_enabled(false);
  command();
  dialog.set_enabled(true);
}

// The window's buttons print the pages every front end offers, from the window's own set.
void print_page(std::string_view key, const ParameterSet& set, const PrintOpener& open) {
  page_kind(key).draw(PageInputs{set, {}, {}}, open);
}

void set_groove_texts(Dialog& dialog, const GroovePreset& preset) {
  dialog.set_text(id_inner_radius, preset.inner_mm);
  dialog.set_text(id_outer_radius, preset.outer_mm);
}

}  // namespace

void show_help(Toolkit& toolkit) {
  toolkit.message_window(help_text(), "Help/About", MessageButtons::ok);
}

bool confirm_parameters(Toolkit& toolkit, const ParameterSet& set) {
  return toolkit.message_window(build_parameter_summary(set), "Confirm Parameters",
                                MessageButtons::ok_cancel) == message_ok;
}

int run_custom_strobe_dialog(Toolkit& toolkit, ParameterSet& set, Dialog& parent) {
  auto focus = std::make_shared<FocusMemory>();
  return toolkit.show_modal(
      custom_strobe_description(), &parent,
      [&toolkit, &set, focus](Dialog& dialog, const DialogEvent& event) {
        focus->handle(dialog, event);
        if (event.kind != DialogEventKind::command) return;
        if (event.id == id_custom_ok) {
          read_custom_strobe(set, custom_strobe_fields_of(dialog));
          without_input(dialog, [&] { print_page("strobe-custom", set, printer_of(toolkit)); });
          dialog.end_dialog(0);
        } else if (event.id == id_custom_cancel) {
          dialog.end_dialog(0);
        }
      });
}

DialogHandler main_window_handler(Toolkit& toolkit, ParameterSet& set) {
  auto focus = std::make_shared<FocusMemory>();
  return [&toolkit, &set, focus](Dialog& window, const DialogEvent& event) {
    focus->handle(window, event);
    switch (event.kind) {
      case DialogEventKind::init:
        window.set_icon(app_icon_name);
        window.set_title(main_window_title);
        window.set_option(id_lofgren_a, id_stevenson_a, id_lofgren_a);
        return;
      case DialogEventKind::close:
        window.end_dialog(0);
        return;
      case DialogEventKind::command:
        break;
      default:
        return;
    }
    switch (event.id) {
      case id_print_template:
        without_input(window, [&] {
          read_parameters(set, main_window_fields_of(window));
          if (confirm_parameters(toolkit, set)) print_page("template", set, printer_of(toolkit));
        });
        break;
      case id_print_60hz:
        without_input(window, [&] {
          read_parameters(set, main_window_fields_of(window));
          print_page("strobe-60hz", set, printer_of(toolkit));
        });
        break;
      case id_print_50hz:
        without_input(window, [&] {
          read_parameters(set, main_window_fields_of(window));
          print_page("strobe-50hz", set, printer_of(toolkit));
        });
        break;
      case id_print_custom:
        read_parameters(set, main_window_fields_of(window));
        run_custom_strobe_dialog(toolkit, set, window);
        break;
      case id_help:
        show_help(toolkit);
        break;
      case id_preset_din:
        set_groove_texts(window, groove_din);
        break;
      case id_preset_iec:
        set_groove_texts(window, groove_iec);
        break;
      case id_preset_typical:
        set_groove_texts(window, groove_typical);
        break;
      default:
        break;
    }
  };
}

int run_main_window(Toolkit& toolkit, ParameterSet& set) {
  return toolkit.show_modal(main_window_description(), nullptr, main_window_handler(toolkit, set));
}

}  // namespace veltrane
