#include "backends/qt/qt_printer.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <vector>

#include "backends/qt/qt_painter_device.h"

namespace veltrane {
namespace {

TEST(QtPrinter, AnUnknownPrinterOpensNoDocument) {
  const auto application = offscreen_application_if_none();
  EXPECT_EQ(open_qt_printer(print_document_name, "veltrane-test-no-such-printer"), nullptr);
}

// What shows when a print button asks for a printer, on a machine with printers or none,
// and a dialog that offers a PDF file or not.
struct ChoiceCase {
  bool printer_installed, pdf_file_offered;
  bool dialog, notice;
};

// clang-format off
const ChoiceCase choice_cases[] = {
  {true,  true,  true,  false},
  {true,  false, true,  false},
  {false, true,  true,  false},  // no printer still means a page: the PDF file
  {false, false, false, true},
};
// clang-format on

TEST(QtPrinter, TheDialogOffersNoPagesAndAPdfFileWhereItCanOtherwiseTheNoticeShows) {
  if (QCoreApplication::instance() != nullptr) GTEST_SKIP() << "needs an application of its own";
  char name[] = "printer_test", option[] = "-platform", platform[] = "offscreen";
  char* argv[] = {name, option, platform, nullptr};
  int argc = 3;
  QApplication application(argc, argv);

  for (const ChoiceCase& c : choice_cases) {
    SCOPED_TRACE(::testing::Message()
                 << "printer " << c.printer_installed << ", file " << c.pdf_file_offered);
    bool dialog_shown = false, range_visible = true, file_offered = false;
    std::vector<QString> notices;
    QTimer::singleShot(0, [&] {
      QWidget* modal = QApplication::activeModalWidget();
      if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        notices.push_back(box->windowTitle() + "|" + box->text());
        EXPECT_EQ(box->parentWidget(), nullptr);
        EXPECT_EQ(box->windowModality(), Qt::ApplicationModal);
        box->button(QMessageBox::Ok)->click();
        return;
      }
      auto* dialog = qobject_cast<QDialog*>(modal);
      if (dialog == nullptr) return;
      dialog_shown = dialog->isVisible() && dialog->parentWidget() == nullptr;
      const auto* range = dialog->findChild<QWidget*>(QStringLiteral("gbPrintRange"));
      range_visible = range != nullptr && !range->isHidden();
      const auto* printers = dialog->findChild<QComboBox*>(QStringLiteral("printers"));
      file_offered = printers != nullptr && printers->findText("PDF", Qt::MatchContains) >= 0;
      dialog->reject();
    });
    EXPECT_EQ(open_qt_printer_with_dialog_if_any(print_document_name, c.printer_installed,
                                                 c.pdf_file_offered),
              nullptr);
    EXPECT_EQ(dialog_shown, c.dialog);
    if (c.dialog) {
      EXPECT_FALSE(range_visible);
      EXPECT_EQ(file_offered, c.pdf_file_offered);
    }
    const QString notice = QString(no_printer_title) + "|" + no_printer_text;
    EXPECT_EQ(notices, c.notice ? std::vector<QString>{notice} : std::vector<QString>{});
  }
}

}  // namespace
}  // namespace veltrane
