#pragma once

#include <string>
#include <string_view>

namespace veltrane {

/// A live dialog of the window toolkit, addressed by control identifiers. Texts are UTF-8.
/// The real windows and test doubles implement it.
class Dialog {
 public:
  virtual ~Dialog() = default;
  /// The control's whole current text.
  virtual std::string get_text(int id) const = 0;
  /// 1 when the option button is checked, else 0.
  virtual int get_check(int id) const = 0;
  virtual void set_text(int id, std::string_view text) = 0;
  virtual void set_title(std::string_view title) = 0;
  /// Checks `checked` and clears the other options from `first` to `last`.
  virtual void set_option(int first, int last, int checked) = 0;
  virtual void set_icon(std::string_view name) = 0;
  /// The identifier of the control holding the keyboard focus, or 0.
  virtual int get_focus() const = 0;
  virtual void set_focus(int id) = 0;
  /// Whether the dialog takes input; off while one of its commands prints.
  virtual void set_enabled(bool enabled) = 0;
  /// Makes show_modal return `result` and destroys the dialog.
  virtual void end_dialog(int result) = 0;
};

}  // namespace veltrane
