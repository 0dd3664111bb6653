#pragma once

#include <QApplication>
#include <QDialog>
#include <QWidget>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "backends/qt/qt_toolkit.h"
#include "model/parameter_set.h"
#include "print/recording_device.h"

namespace veltrane {

/// One message window the program asked for.
struct ShownMessage {
  std::string text;
  std::string title;
  MessageButtons buttons;
};

/// A QtToolkit whose printer choice and message answers a test decides; everything else is
/// the real thing.
struct WindowDriver {
  int message_answer = message_ok;
  bool printer_cancelled = false;
  std::vector<ShownMessage> messages;
  std::vector<RecordedJob> jobs;     ///< one per closed print job
  std::function<void()> on_message;  ///< runs while a message window would be open
  std::function<void()> on_printer;  ///< runs while the printer dialog would be open
  ParameterSet set;
  QtToolkit toolkit;

  WindowDriver();

  /// Runs the main window; `script` gets it once it is shown and active, then the window is
  /// closed by its close box. Returns run_main_window's result.
  int run_main_window(const std::function<void(QDialog& window)>& script);
};

/// The control of a Qt dialog with this identifier.
template <typename Widget = QWidget>
Widget* control(QWidget& dialog, int id) {
  return dialog.findChild<Widget*>(control_object_name(id), Qt::FindDirectChildrenOnly);
}

/// The text box's text, or a note that there is no such text box.
std::string text_of(QWidget& dialog, int id);

/// Replaces the text box's text by typing `text` over it.
void type_into(QWidget& dialog, int id, const char* text);

/// Clicks the push or option button `id` with the mouse.
void click(QWidget& dialog, int id);

/// Runs `action` from the event loop once the next modal dialog is up; it gets that dialog.
void when_modal_dialog_opens(std::function<void(QDialog& dialog)> action);

/// Opens the custom strobe dialog from the main window and runs `script` on it; returns
/// whether the dialog had closed when the main window took over again.
bool with_custom_dialog(QDialog& window, const std::function<void(QDialog& dialog)>& script);

/// The dialog that is modal now, or nullptr.
QDialog* modal_dialog();

/// Lets queued events (activation, focus) be delivered.
void settle();

}  // namespace veltrane
