#include "backends/qt/qt_printer.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDialog>
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
  EXPECT_EQ(open_qt_printer_with_dialog(print_document_name), nullptr);
  EXPECT_TRUE(shown);
  EXPECT_FALSE(range_visible);
  EXPECT_FALSE(file_offered);
}

}  // namespace
}  // namespace veltrane
