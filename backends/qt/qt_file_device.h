#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "print/file_output.h"
#include "print/paper.h"

namespace veltrane {

/// A page file as the Qt painting code renders it: any sheet, given by its portrait size.
struct QtFilePage {
  FileFormat format = FileFormat::pdf;  ///< pdf, svg or png
  int dpi = 600;
  SheetMm portrait_sheet;
  /// The printable area lies this far inside every edge of the sheet, as on a printer that
  /// cannot print the sheet's border: the page's origin is this far from the sheet's
  /// top-left corner (on a whole dot of a PNG). Nothing is cut off at the printable area.
  double margin_mm = 0;
};

/// Takes the bytes of the rendered page when the device is closed after painting; empty when
/// the image cannot be encoded or the PDF not given its preference.
using PageBytesSink = std::function<void(std::string bytes)>;

/// A device that renders one page as make_file_device() does, onto `page`'s sheet in the
/// page's orientation, and hands the bytes to `deliver` when it is closed. Needs a
/// QGuiApplication only while painting; makes an offscreen one when there is none.
std::unique_ptr<PrintDevice> make_qt_file_device(const QtFilePage& page, PageBytesSink deliver,
                                                 std::string_view document_name);

}  // namespace veltrane
