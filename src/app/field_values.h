#pragma once

#include <map>
#include <string>

#include "ui/dialog.h"

namespace veltrane {

/// A dialog that is only its controls' values: what the command-line tool and tests read
/// through the same field reading as the real windows. Window operations do nothing.
class FieldValues final : public Dialog {
 public:
  std::map<int, std::string> texts;
  std::map<int, int> checks;

  std::string get_text(int id) const override;
  int get_check(int id) const override;
  void set_text(int id, std::string_view text) override { texts[id] = std::string(text); }
  void set_title(std::string_view /*title*/) override {}
  void set_option(int first, int last, int checked) override;
  void set_icon(std::string_view /*name*/) override {}
  int get_focus() const override { return 0; }
  void set_focus(int /*id*/) override {}
  void set_enabled(bool /*enabled*/) override {}
  void end_dialog(int /*result*/) override {}
};

/// The main window's fields as they stand when the window opens.
FieldValues initial_main_window_fields();

/// The custom strobe dialog's fields as they stand when it opens.
FieldValues initial_custom_strobe_fields();

}  // namespace veltrane
