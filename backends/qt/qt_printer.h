#pragma once

#include <memory>
#include <string_view>

#include "print/print_device.h"

namespace veltrane {

/// Shows the printer-selection dialog (no owner, brought to the front) on the system's
/// default printer and returns a document of that name on the chosen printer; nullptr
/// when the user cancels or no printer can be chosen. With no printer installed it shows
/// show_no_printer_notice() instead and returns nullptr, as for a cancel. Needs a QApplication.
std::unique_ptr<PrintDevice> open_qt_printer_with_dialog(std::string_view document_name);

/// The same, told whether the printing service has any printer rather than asking it.
std::unique_ptr<PrintDevice> open_qt_printer_with_dialog_if_any(std::string_view document_name,
                                                                bool printer_installed);

/// The printing service's notice that there is no printer: a warning box without owner, modal
/// to the whole program, with OK.
void show_no_printer_notice();
inline constexpr const char* no_printer_title = "Print";
inline constexpr const char* no_printer_text =
    "No printers are installed. Add a printer in the system's printer settings, then print "
    "again.";

/// The same without a dialog, on the named printer (empty: the default printer); nullptr
/// when there is no such printer. Needs a QGuiApplication.
std::unique_ptr<PrintDevice> open_qt_printer(std::string_view document_name,
                                             std::string_view printer_name);

}  // namespace veltrane
