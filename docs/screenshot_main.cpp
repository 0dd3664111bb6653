// Shows the main window as the program does and saves a picture of it: veltrane-screenshot FILE.
// Run it on a real display server (scripts/screenshot uses Xvfb).
#include <QApplication>
#include <QDialog>
#include <QScreen>
#include <QTimer>
#include <cstdio>

#include "app/windows.h"
#include "backends/qt/qt_toolkit.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: veltrane-screenshot FILE.png\n");
    return 2;
  }
  const QString file = QString::fromLocal8Bit(argv[1]);
  int qt_argc = 1;
  QApplication application(qt_argc, argv);
  QApplication::setWindowIcon(veltrane::named_icon(veltrane::app_icon_name));
  veltrane::QtToolkit toolkit({});
  veltrane::ParameterSet set;
  bool saved = false;
  // Long enough for the window to be mapped and painted by the display server.
  QTimer::singleShot(1000, [&] {
    if (auto* window = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
      saved = window->screen()->grabWindow(window->winId()).save(file, "PNG");
      window->close();
    }
  });
  veltrane::run_main_window(toolkit, set);
  if (!saved) std::fprintf(stderr, "veltrane-screenshot: could not save %s\n", argv[1]);
  return saved ? 0 : 1;
}
