#include "window_driver.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <memory>

#include "app/windows.h"
#include "print/recording_device.h"
#include "ui/control_ids.h"

namespace veltrane {
namespace {

// Window tests never open a window on the developer's display.
class OffscreenApplication : public ::testing::Environment {
 public:
  void SetUp() override {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    application_ = std::make_unique<QApplication>(argc_, argv_);
    QApplication::setQuitOnLastWindowClosed(false);
  }
  void TearDown() override { application_.reset(); }

 private:
  int argc_ = 1;
  char name_[16] = "qt_ui_tests";
  char* argv_[2] = {name_, nullptr};
  std::unique_ptr<QApplication> application_;
};

[[maybe_unused]] ::testing::Environment* const offscreen_application =
    ::testing::AddGlobalTestEnvironment(new OffscreenApplication);

}  // namespace

WindowDriver::WindowDriver()
    : toolkit({[this](std::string_view name) -> std::unique_ptr<PrintDevice> {
                 if (on_printer) on_printer();
                 if (printer_cancelled) return nullptr;
                 return make_recording_device(jobs, name);
               },
               [this](std::string_view text, std::string_view title, MessageButtons buttons) {
                 messages.push_back({std::string(text), std::string(title), buttons});
                 if (on_message) on_message();
                 return message_answer;
               }}) {}

int WindowDriver::run_main_window(const std::function<void(QDialog& window)>& script) {
  when_modal_dialog_opens([&script](QDialog& window) {
    settle();
    script(window);
    window.close();
  });
  return veltrane::run_main_window(toolkit, set);
}

std::string text_of(QWidget& dialog, int id) {
  auto* edit = control<QLineEdit>(dialog, id);
  return edit ? edit->text().toStdString() : "<no text box " + std::to_string(id) + ">";
}

void type_into(QWidget& dialog, int id, const char* text) {
  auto* edit = control<QLineEdit>(dialog, id);
  ASSERT_NE(edit, nullptr) << id;
  edit->selectAll();
  QTest::keyClick(edit, Qt::Key_Delete);
  QTest::keyClicks(edit, QString::fromUtf8(text));
}

void click(QWidget& dialog, int id) {
  QWidget* button = control(dialog, id);
  ASSERT_NE(button, nullptr) << id;
  QTest::mouseClick(button, Qt::LeftButton);
}

void when_modal_dialog_opens(std::function<void(QDialog& dialog)> action) {
  QTimer::singleShot(0, [action = std::move(action)] {
    QDialog* dialog = modal_dialog();
    if (!dialog) {
      ADD_FAILURE() << "no modal dialog is open";
      return;
    }
    action(*dialog);
  });
}

bool with_custom_dialog(QDialog& window, const std::function<void(QDialog& dialog)>& script) {
  bool closed_by_script = true;
  when_modal_dialog_opens([&](QDialog& dialog) {
    settle();
    script(dialog);
    settle();
    if (modal_dialog() == &dialog) {
      closed_by_script = false;
      dialog.close();
    }
  });
  click(window, id_print_custom);
  return closed_by_script && modal_dialog() == &window;
}

QDialog* modal_dialog() {
  return qobject_cast<QDialog*>(QApplication::activeModalWidget());
}

void settle() {
  QApplication::processEvents();
  QApplication::processEvents();
}

}  // namespace veltrane
