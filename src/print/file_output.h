#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "print/paper.h"
#include "print/print_device.h"

namespace veltrane {

enum class FileFormat { trace, pdf, svg, png };

/// The border a page file leaves unprinted unless asked otherwise: ordinary printers cannot
/// print the outer 3 to 5 mm of a sheet, and what a user measures must not fall there.
inline constexpr double default_margin_mm = 4;

struct FileTarget {
  FileFormat format = FileFormat::trace;
  int dpi = 0;  ///< 0: the format's default
  Paper paper = Paper::a4;
  /// The sheet's unprintable edge: the page is drawn as on a printer whose printable area is
  /// inset this far on every side, its origin this far from the sheet's top-left corner.
  double margin_mm = 0;
  /// A sheet the paper table does not name, upright in millimetres (the printer dialog's
  /// choice of a PDF file); when both are above 0 it stands for `paper`.
  SheetMm upright_sheet{};
};

/// The sheet of `target` as a page of `orientation` sees it.
SheetMm target_sheet_mm(const FileTarget& target, Orientation orientation);

/// The format's resolution when none is asked for.
int default_dpi(FileFormat format);

/// Whether this build has a back end for `format` (the trace it always has).
bool file_format_available(FileFormat format);

/// A device for PDF, SVG or PNG that renders one page into `bytes` when it is closed: the
/// paper in the page's orientation, its printable area the sheet less `margin_mm` on every
/// side (origin at that area's corner), `document_name` the title of a PDF or SVG. A PDF
/// asks viewers to print it at actual size. nullptr when the build has no such back end.
/// `bytes` stays empty when the page cannot be rendered (no memory for the sheet, a painter
/// that cannot begin, an image that cannot be encoded): a rendered page is never empty.
std::unique_ptr<PrintDevice> make_file_device(const FileTarget& target, std::string& bytes,
                                              std::string_view document_name);

/// `make_file_device` for the formats the print layer writes itself, PDF and SVG: nullptr
/// for the others.
std::unique_ptr<PrintDevice> make_vector_file_device(const FileTarget& target, std::string& bytes,
                                                     std::string_view document_name);

}  // namespace veltrane
