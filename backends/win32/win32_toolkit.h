#pragma once

#include <windows.h>

#include "ui/toolkit.h"

namespace veltrane {

/// Prepares the common controls before any window is built: COMCTL32.DLL's
/// InitCommonControlsEx for the standard, date and time and internet address families, or
/// InitCommonControls where that entry is missing. Never fails.
void init_controls();

/// The Win32 window toolkit: dialogs from in-memory templates, MessageBoxW, the GDI printer.
class Win32Toolkit : public Toolkit {
 public:
  int show_modal(const DialogDescription& description, Dialog* parent,
                 const DialogHandler& handler) override;
  int message_window(std::string_view text, std::string_view title,
                     MessageButtons buttons) override;
  std::unique_ptr<PrintDevice> open_printer(std::string_view document_name) override;
};

/// The window of a dialog this toolkit shows, or nullptr for any other Dialog.
HWND dialog_window(const Dialog& dialog);

}  // namespace veltrane
