#include <QApplication>
#include <cstdio>
#include <cstdlib>

#include "app/windows.h"
#include "backends/qt/display.h"
#include "backends/qt/qt_printer.h"
#include "backends/qt/qt_toolkit.h"
#include "model/parameter_set.h"

int main(int argc, char** argv) {
  // The command line is ignored, Qt's own options (-style, -platform, ...) included: Qt sees
  // the program's name only.
  static char fallback_name[] = "veltrane";
  int qt_argc = 1;
  char* qt_argv[] = {argc > 0 && argv[0] ? argv[0] : fallback_name, nullptr};
  if (!veltrane::display_expected(std::getenv)) {
    std::fprintf(stderr, "%s\n", veltrane::no_display_message);
    return 1;
  }
  veltrane::begin_platform_start();
  QApplication application(qt_argc, qt_argv);
  veltrane::end_platform_start();
  QApplication::setApplicationName(QStringLiteral("Veltrane"));
  QApplication::setDesktopFileName(QStringLiteral("veltrane"));
  QApplication::setWindowIcon(veltrane::named_icon(veltrane::app_icon_name));
  // The program ends when the main window's own loop does, not when a window closes.
  QApplication::setQuitOnLastWindowClosed(false);

  veltrane::QtToolkit toolkit({veltrane::open_qt_printer_with_dialog, veltrane::show_message_box});
  veltrane::ParameterSet set;
  veltrane::run_main_window(toolkit, set);
  return 0;
}
