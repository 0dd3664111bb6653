#include "backends/qt/display.h"

#include <QString>
#include <QtGlobal>
#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

namespace veltrane {
namespace {

struct HeldMessage {
  QtMsgType type;
  QString text;
};

// A Qt message handler is a plain function: what it keeps can only be here.
// NOLINTBEGIN(cppcoreguidelines-avoid-non-const-global-variables)
QtMessageHandler previous_handler = nullptr;
std::vector<HeldMessage> held;
// NOLINTEND(cppcoreguidelines-avoid-non-const-global-variables)

void hold_message(QtMsgType type, const QMessageLogContext&, const QString& text) {
  if (type != QtFatalMsg) {
    held.push_back({type, text});
    return;
  }
  // Qt's own explanation runs to several lines about plugins; the person starting the program
  // needs to know what is missing.
  std::fprintf(stderr, "%s\n", no_display_message);
  std::fflush(stderr);
  std::_Exit(1);
}

bool is_set(const char* value) {
  return value != nullptr && *value != '\0';
}

}  // namespace

bool display_expected(const EnvironmentReader& environment) {
  return is_set(environment("QT_QPA_PLATFORM")) || is_set(environment("DISPLAY")) ||
         is_set(environment("WAYLAND_DISPLAY"));
}

void begin_platform_start() {
  held.clear();
  previous_handler = qInstallMessageHandler(hold_message);
}

void end_platform_start() {
  qInstallMessageHandler(previous_handler);
  for (const HeldMessage& message : std::exchange(held, {})) {
    switch (message.type) {
      case QtDebugMsg:
        qDebug("%s", qUtf8Printable(message.text));
        break;
      case QtInfoMsg:
        qInfo("%s", qUtf8Printable(message.text));
        break;
      case QtCriticalMsg:
        qCritical("%s", qUtf8Printable(message.text));
        break;
      default:
        qWarning("%s", qUtf8Printable(message.text));
        break;
    }
  }
}

}  // namespace veltrane
