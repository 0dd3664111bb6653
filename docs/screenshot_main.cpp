// Shows the main window as the program does and saves a picture of it:
//   veltrane-screenshot FILE [ID-TEXT]
// with ID-TEXT typed into the ID box first. Run it on a real display server (scripts/screenshot
// uses Xvfb).
#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <cstdio>

#include "app/windows.h"
#include "backends/qt/qt_toolkit.h"
#include "ui/control_ids.h"

int main(int argc, char** argv) {
  if (argc != 2 && argc != 3) {
    std::fprintf(stderr, "usage: veltrane-screenshot FILE.png [ID-TEXT]\n");
    return 2;
  }
  const QString file = QString::fromLocal8Bit(argv[1]);
  const QString id_text = argc == 3 ? QString::fromLocal8Bit(argv[2]) : QString();
  int qt_argc = 1;
  QApplication application(qt_argc, argv);
  QApplication::setWindowIcon(veltrane::named_icon(veltrane::app_icon_name));
  veltrane::QtToolkit toolkit({});
  veltrane::ParameterSet set;
  bool saved = false;
  // Long enough for the window to be mapped and painted by the display server.
  QTimer::singleShot(1000, [&] {
    if (auto* window = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
      auto* id_box =
          window->findChild<QLineEdit*>(veltrane::control_object_name(veltrane::id_id_text));
      if (id_box && !id_text.isEmpty()) {
        id_box->setFocus();
        QTest::keyClicks(id_box, id_text);
        QApplication::processEvents();
      }
      saved = window->screen()->grabWindow(window->winId()).save(file, "PNG");
      window->close();
    }
  });
  veltrane::run_main_window(toolkit, set);
  if (!saved) std::fprintf(stderr, "veltrane-screenshot: could not save %s\n", argv[1]);
  return saved ? 0 : 1;
}
