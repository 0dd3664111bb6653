#pragma once

#include <memory>
#include <string_view>

#include "print/print_device.h"

namespace veltrane {

/// Shows the printer-selection dialog (no owner, brought to the front) on the system's
/// default printer and returns a document of that name on the chosen printer; nullptr
/// when the user cancels or no printer can be chosen. Needs a QApplication.
std::unique_ptr<PrintDevice> open_qt_printer_with_dialog(std::string_view document_name);

/// The same without a dialog, on the named printer (empty: the default printer); nullptr
/// when there is no such printer. Needs a QGuiApplication.
std::unique_ptr<PrintDevice> open_qt_printer(std::string_view document_name,
                                             std::string_view printer_name);

}  // namespace veltrane
