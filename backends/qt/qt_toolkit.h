#pragma once

#include <functional>
#include <memory>
#include <string_view>

#include <QFont>
#include <QIcon>
#include <QRect>
#include <QString>

#include "ui/toolkit.h"

class QWidget;

namespace veltrane {

/// The size of one dialog unit in pixels for a font: a quarter of its average character width
/// (the 52 letters A-Z a-z, rounded) across, an eighth of its character height down.
struct DialogUnits {
  int char_width = 0;
  int char_height = 0;

  static DialogUnits of(const QFont& font);
  int to_x(int units) const;
  int to_y(int units) const;
  /// A rectangle in dialog units as pixels; position and size are each rounded on their own.
  QRect to_pixels(int x, int y, int width, int height) const;
};

/// The regular 8-point dialog font: "MS Sans Serif" where it exists, otherwise the
/// application's font at 8 points.
QFont dialog_font();

/// The object name a control of a Qt dialog carries: its identifier in decimal.
QString control_object_name(int id);

/// The real message window: a QMessageBox without owner or icon, modal to the whole
/// program, OK the default button. message_ok only when OK was pressed.
int show_message_box(std::string_view text, std::string_view title, MessageButtons buttons);

/// The two platform choices a test may replace; the program passes open_qt_printer_with_dialog
/// and show_message_box.
struct QtToolkitChoices {
  PrintOpener open_printer;
  std::function<int(std::string_view text, std::string_view title, MessageButtons buttons)>
      message_window;
};

/// The window toolkit on Qt Widgets: every dialog is a fixed-size QDialog with its controls at
/// absolute positions in dialog units. Needs a QApplication.
class QtToolkit final : public Toolkit {
 public:
  explicit QtToolkit(QtToolkitChoices choices);

  int show_modal(const DialogDescription& description, Dialog* parent,
                 const DialogHandler& handler) override;
  int message_window(std::string_view text, std::string_view title,
                     MessageButtons buttons) override;
  std::unique_ptr<PrintDevice> open_printer(std::string_view document_name) override;

 private:
  QtToolkitChoices choices_;
};

/// The icon of a name given to Dialog::set_icon ("APPICON"), from the program's resources.
QIcon named_icon(std::string_view name);

}  // namespace veltrane
