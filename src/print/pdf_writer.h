#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "print/file_output.h"
#include "print/print_device.h"

namespace veltrane {

/// A device that writes its one page as a PDF into `bytes` when closed, with nothing but the
/// C++ library (and zlib, where the build has it, for the content stream): the sheet of
/// `target`, its page at `target.dpi` inset by `target.margin_mm`, text in the standard
/// Helvetica in WinAnsi encoding (no font to embed), `title` as the document's title, and
/// the request to be printed at actual size. The same page gives the same bytes.
std::unique_ptr<PrintDevice> make_pdf_device(const FileTarget& target, std::string& bytes,
                                             std::string_view title);

}  // namespace veltrane
