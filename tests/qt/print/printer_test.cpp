#include "backends/qt/qt_printer.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include "backends/qt/qt_painter_device.h"

namespace veltrane {
namespace {

TEST(QtPrinter, AnUnknownPrinterOpensNoDocument) {
  const auto application = offscreen_application_if_none();
  EXPECT_EQ(open_qt_printer(print_document_name, "veltrane-test-no-such-printer"), nullptr);
}

TEST(QtPrinter, TheDialogOffersNoPagesNorAFileAndCancelOpensNoDocument) {
  if (QCoreApplication::instance() != nullptr) GTEST_SKIP() << "needs an application of its own";
  char name[] = "printer_test", option[] = "-platform", platform[] = "offscreen";
  char* argv[] = {name, option, platform, nullptr};
  int argc = 3;
  QApplication application(argc, argv);

  bool shown = false, range_visible = true, file_offered = true;
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (dialog == nullptr) return;
    shown = dialog->isVisible() && dialog->parentWidget() == nullptr;
    const auto* range = dialog->findChild<QWidget*>(QStringLiteral("gbPrintRange"));
    range_visible = range != nullptr && !range->isHidden();
    const auto* printers = dialog->findChild<QComboBox*>(QStringLiteral("printers"));
    file_offered = printers == nullptr || printers->findText("PDF", Qt::MatchContains) >= 0;
    dialog->reject();
  });
  // The dialog as it shows on a machine with a printer, whether or not this one has any.
  EXPECT_EQ(open_qt_printer_with_dialog_if_any(print_document_name, true), nullptr);
  EXPECT_TRUE(shown);
  EXPECT_FALSE(range_visible);
  EXPECT_FALSE(file_offered);
}

TEST(QtPrinter, WithNoPrinterInstalledTheNoticeShowsAndNothingOpensAsOnCancel) {
  if (QCoreApplication::instance() != nullptr) GTEST_SKIP() << "needs an application of its own";
  char name[] = "printer_test", option[] = "-platform", platform[] = "offscreen";
  char* argv[] = {name, option, platform, nullptr};
  int argc = 3;
  QApplication application(argc, argv);

  int boxes = 0;
  bool other_window = false;
  QString title, text;
  QTimer::singleShot(0, [&] {
    QWidget* modal = QApplication::activeModalWidget();
    auto* box = qobject_cast<QMessageBox*>(modal);
    if (box == nullptr) {
      other_window = modal != nullptr;
      if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->reject();
      return;
    }
    ++boxes;
    title = box->windowTitle();
    text = box->text();
    EXPECT_EQ(box->parentWidget(), nullptr);
    EXPECT_EQ(box->windowModality(), Qt::ApplicationModal);
    ASSERT_NE(box->button(QMessageBox::Ok), nullptr);
    box->button(QMessageBox::Ok)->click();
  });
  EXPECT_EQ(open_qt_printer_with_dialog_if_any(print_document_name, false), nullptr);
  EXPECT_EQ(boxes, 1);
  EXPECT_FALSE(other_window) << "no printer dialog";
  EXPECT_EQ(title.toStdString(), no_printer_title);
  EXPECT_EQ(text.toStdString(), no_printer_text);
}

}  // namespace
}  // namespace veltrane
