#pragma once

#include <windows.h>

#include <memory>
#include <string_view>

#include "print/print_device.h"

namespace veltrane {

/// The printer-selection dialog (default printer preselected, no page range, selection or
/// print to file), then a document named `document_name` on the chosen printer. nullptr,
/// silently, when the user cancels, there is no printer or the document cannot start.
std::unique_ptr<PrintDevice> open_gdi_printer(std::string_view document_name);

/// Draws through the same GDI calls on a device context the caller owns and ends, such as
/// an enhanced metafile, reporting `dpi` as its resolution. It starts no document or page.
std::unique_ptr<PrintDevice> make_dc_device(HDC dc, Resolution dpi);

}  // namespace veltrane
