#pragma once

#include <memory>
#include <string_view>

#include "print/print_device.h"

namespace veltrane {

/// Shows the printer-selection dialog (no owner, brought to the front) on the system's
/// default printer and returns a document of that name on the chosen printer; nullptr
/// when the user cancels or no printer can be chosen. Where Qt's own dialog is the
/// platform's, it also offers saving the page as a PDF file, printers or none: the page is
/// then drawn as on a printer that leaves default_margin_mm unprinted at every edge of the
/// paper chosen, and the file asks viewers to print it at actual size. It is written whole
/// or not at all; when it cannot be, show_printing_notice() says why. With no printer and no
/// such file to offer, the notice that there is no printer shows instead and nothing opens,
/// as on a cancel. Needs a QApplication.
std::unique_ptr<PrintDevice> open_qt_printer_with_dialog(std::string_view document_name);

/// Whether the printer dialog of this platform offers saving the page as a PDF file.
bool printer_dialog_offers_pdf_file();

/// The same as open_qt_printer_with_dialog, told whether the printing service has any
/// printer and whether the dialog offers a PDF file rather than asking.
std::unique_ptr<PrintDevice> open_qt_printer_with_dialog_if_any(
    std::string_view document_name, bool printer_installed,
    bool pdf_file_offered = printer_dialog_offers_pdf_file());

/// The printing service's own notice: a warning box titled no_printer_title without owner,
/// modal to the whole program, with OK.
void show_printing_notice(std::string_view text);
inline constexpr const char* no_printer_title = "Print";
inline constexpr const char* no_printer_text =
    "No printers are installed. Add a printer in the system's printer settings, then print "
    "again.";
/// The notice's first words when a PDF file cannot be written; the system's reason follows.
inline constexpr const char* pdf_not_saved_text = "The PDF file could not be saved: ";

/// The same without a dialog, on the named printer (empty: the default printer); nullptr
/// when there is no such printer. Needs a QGuiApplication.
std::unique_ptr<PrintDevice> open_qt_printer(std::string_view document_name,
                                             std::string_view printer_name);

}  // namespace veltrane
