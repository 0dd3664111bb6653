#pragma once

#include <functional>
#include <memory>
#include <span>
#include <string_view>

#include "print/print_device.h"
#include "ui/dialog.h"

namespace veltrane {

enum class ControlKind { label, text_box, option_button, push_button };

/// One control of a dialog description; positions and sizes in dialog units.
struct ControlDescription {
  int id = 0;
  ControlKind kind = ControlKind::label;
  const char* text = "";  ///< UTF-8 caption, or the initial content of a text box
  int x = 0, y = 0, width = 0, height = 0;
  bool group_start = false;  ///< first control of a keyboard group
  int caption = 0;           ///< the label that names a text box to screen readers; 0 for none
};

enum class DialogFrame {
  title_menu_close,  ///< title bar with window menu and close box
  title_only,        ///< title bar without window menu or close box
};

/// A fixed-size dialog in dialog units of the 8-point dialog font. x, y count from the
/// screen's top-left corner, or from the parent's client area when there is a parent.
/// Creation order of the controls is the keyboard order.
struct DialogDescription {
  const char* title = "";
  int x = 0, y = 0, width = 0, height = 0;  ///< client area
  DialogFrame frame = DialogFrame::title_menu_close;
  std::span<const ControlDescription> controls;
};

enum class DialogEventKind { init, activated, deactivated, command, close };

struct DialogEvent {
  DialogEventKind kind = DialogEventKind::init;
  int id = 0;  ///< the control of a command
};

using DialogHandler = std::function<void(Dialog&, const DialogEvent&)>;

enum class MessageButtons { ok, ok_cancel };
inline constexpr int message_ok = 1;
inline constexpr int message_cancel = 2;

/// The window toolkit: the one seam between the portable windows and a platform.
class Toolkit {
 public:
  virtual ~Toolkit() = default;
  /// Builds the dialog hidden, delivers `init`, shows it modally and brings it to the front
  /// (the parent takes no input meanwhile), then delivers activation changes, commands and
  /// the close request until end_dialog; returns its result. A close request the handler
  /// does not answer ends the dialog with 0. Escape and Enter end nothing.
  virtual int show_modal(const DialogDescription& description, Dialog* parent,
                         const DialogHandler& handler) = 0;
  /// A message window without owner, modal to the whole program and brought to the front.
  /// OK is the default button. Returns message_ok, or message_cancel for Cancel and any
  /// other way of closing it.
  virtual int message_window(std::string_view text, std::string_view title,
                             MessageButtons buttons) = 0;
  /// The printer-selection dialog: a document on the chosen printer, or nullptr when the
  /// user cancels or there is no printer.
  virtual std::unique_ptr<PrintDevice> open_printer(std::string_view document_name) = 0;
};

}  // namespace veltrane
