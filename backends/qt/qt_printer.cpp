#include "backends/qt/qt_printer.h"

#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QSaveFile>
#include <QShowEvent>

#include "backends/qt/qt_painter_device.h"
#include "print/file_output.h"

namespace veltrane {
namespace {

QString qt_text(std::string_view utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

class PrinterPage final : public PaintTarget {
 public:
  explicit PrinterPage(std::unique_ptr<QPrinter> printer) : printer_(std::move(printer)) {}

  PageSurface start_page(Orientation orientation) override {
    const bool landscape = orientation == Orientation::landscape;
    printer_->setPageOrientation(landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    // The painter starts at the sheet's corner and moves to the printable area's corner,
    // found from the driver's minimum margins. Qt reports those for the upright sheet
    // whatever the orientation. Printing services put a landscape page on the sheet turned
    // a quarter counter-clockwise, so its top edge lies along the sheet's left edge and its
    // left edge along the sheet's bottom.
    printer_->setFullPage(true);
    QPageLayout layout = printer_->pageLayout();
    layout.setUnits(QPageLayout::Point);
    const QMarginsF upright = layout.minimumMargins();
    const QPointF corner_pt = landscape ? QPointF(upright.bottom(), upright.left())
                                        : QPointF(upright.left(), upright.top());
    return {printer_.get(), corner_pt * printer_->resolution() / 72.0, {}, std::nullopt};
  }

  void finish() override {}  // ending the painter has spooled the job
  bool keeps_blank_page() const override { return false; }

 private:
  std::unique_ptr<QPrinter> printer_;
};

// The dialog's print range group offers pages of a document; this one has a single page.
// Qt shows the group for a printing service that can pick pages itself even when the
// page range option is off, and refreshes it on every show, so it is hidden here. Should
// a later Qt name it differently, the group simply stays.
class PrinterDialog final : public QPrintDialog {
 public:
  using QPrintDialog::QPrintDialog;

 protected:
  void showEvent(QShowEvent* event) override {
    QPrintDialog::showEvent(event);
    if (auto* range = findChild<QWidget*>(QStringLiteral("gbPrintRange"))) range->hide();
    raise();
    activateWindow();
  }
};

bool is_usable(const QPrinter& printer) {
  return printer.outputFormat() == QPrinter::NativeFormat && printer.isValid() &&
         !printer.printerName().isEmpty();
}

std::unique_ptr<QPrinter> new_printer(std::string_view document_name) {
  auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
  printer->setDocName(qt_text(document_name));
  return printer;
}

// Writes the page to the file the dialog named, whole or not at all: a temporary file beside
// it takes its name once complete.
void save_pdf(const QString& path, const std::string& bytes) {
  QSaveFile file(path);
  const auto size = static_cast<qint64>(bytes.size());
  if (!bytes.empty() && file.open(QIODevice::WriteOnly) && file.write(bytes.data(), size) == size &&
      file.commit())
    return;
  const QString reason =
      bytes.empty() ? QStringLiteral("the page could not be rendered") : file.errorString();
  show_printing_notice((QString::fromUtf8(pdf_not_saved_text) + path + QStringLiteral(" (") +
                        reason + QStringLiteral(")"))
                           .toStdString());
}

// A page saved as a PDF file from the dialog: the print layer's writer renders it as it
// renders veltrane-cli's, and the file takes it whole once the page is closed.
class SavedPdf final : public PrintDevice {
 public:
  SavedPdf(const FileTarget& target, QString path, std::string_view document_name)
      : path_(std::move(path)), writer_(make_vector_file_device(target, bytes_, document_name)) {}

  void set_orientation(Orientation orientation) override { writer_->set_orientation(orientation); }
  Resolution dots_per_inch() override { return writer_->dots_per_inch(); }
  void set_pen_width(int dots) override { writer_->set_pen_width(dots); }
  void move_to(int x, int y) override { writer_->move_to(x, y); }
  void line_to(int x, int y) override { writer_->line_to(x, y); }
  void ellipse(DotBox box, Colour outline, Fill fill) override {
    writer_->ellipse(box, outline, fill);
  }
  void arc(DotBox box, float start_rad, float end_rad) override {
    writer_->arc(box, start_rad, end_rad);
  }
  void pie(DotBox box, float start_rad, float end_rad) override {
    writer_->pie(box, start_rad, end_rad);
  }
  void select_font(const PrintFont& font) override { writer_->select_font(font); }
  void print_text(std::string_view utf8) override { writer_->print_text(utf8); }
  void close() override {
    writer_->close();
    save_pdf(path_, bytes_);
  }

 private:
  QString path_;
  std::string bytes_;  // before the writer, which renders into it
  std::unique_ptr<PrintDevice> writer_;
};

// The page as a PDF file on the paper chosen in the dialog, at the resolution the pages
// were laid out for rather than the printer's.
std::unique_ptr<PrintDevice> open_pdf_file(const QPrinter& printer,
                                           std::string_view document_name) {
  QString path = printer.outputFileName();
  if (path.isEmpty()) return nullptr;
  const QSizeF sheet = printer.pageLayout().pageSize().size(QPageSize::Millimeter);
  FileTarget target;
  target.format = FileFormat::pdf;
  target.dpi = default_dpi(FileFormat::pdf);
  target.margin_mm = default_margin_mm;
  target.upright_sheet = {sheet.width(), sheet.height()};
  return std::make_unique<SavedPdf>(target, std::move(path), document_name);
}

}  // namespace

bool printer_dialog_offers_pdf_file() {
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
  return true;  // Qt's own dialog, with its "Print to File (PDF)"
#else
  return false;  // the system's dialog, whose files are in the printer's own language
#endif
}

void show_printing_notice(std::string_view text) {
  QMessageBox notice(QMessageBox::Warning, QString::fromUtf8(no_printer_title), qt_text(text),
                     QMessageBox::Ok);
  notice.setTextFormat(Qt::PlainText);
  notice.setWindowModality(Qt::ApplicationModal);
  notice.show();
  notice.raise();
  notice.activateWindow();
  notice.exec();
}

std::unique_ptr<PrintDevice> open_qt_printer_with_dialog(std::string_view document_name) {
  return open_qt_printer_with_dialog_if_any(document_name,
                                            !QPrinterInfo::availablePrinterNames().isEmpty(),
                                            printer_dialog_offers_pdf_file());
}

std::unique_ptr<PrintDevice> open_qt_printer_with_dialog_if_any(std::string_view document_name,
                                                                bool printer_installed,
                                                                bool pdf_file_offered) {
  // A dialog with nothing to choose would be a dead end; the printing service of the other
  // platform says so itself, and the program has no word for it.
  if (!printer_installed && !pdf_file_offered) {
    show_printing_notice(no_printer_text);
    return nullptr;
  }
  auto printer = new_printer(document_name);
  PrinterDialog dialog(printer.get(), nullptr);
  // A PDF file is what a user without a printer, or printing elsewhere, needs.
  dialog.setOption(QAbstractPrintDialog::PrintToFile, pdf_file_offered);
  dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
  dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
  dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
  if (dialog.exec() != QDialog::Accepted) return nullptr;
  if (printer->outputFormat() == QPrinter::PdfFormat) return open_pdf_file(*printer, document_name);
  if (!is_usable(*printer)) return nullptr;
  return make_painter_device(std::make_unique<PrinterPage>(std::move(printer)));
}

std::unique_ptr<PrintDevice> open_qt_printer(std::string_view document_name,
                                             std::string_view printer_name) {
  auto printer = new_printer(document_name);
  if (!printer_name.empty()) printer->setPrinterName(qt_text(printer_name));
  if (!is_usable(*printer) ||
      (!printer_name.empty() && printer->printerName() != qt_text(printer_name)))
    return nullptr;
  return make_painter_device(std::make_unique<PrinterPage>(std::move(printer)));
}

}  // namespace veltrane
