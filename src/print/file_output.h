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
  /// The printable area is the sheet inset by this much on every side: the device's origin
  /// lies margin_mm right of and below the sheet's top-left corner, and the page is cut
  /// off where the area ends, as on a printer that cannot print the sheet's border. The
  /// page's own coordinates, and so the trace, do not change.
  double margin_mm = 0;
};

/// The format's resolution when none is asked for.
int default_dpi(FileFormat format);

/// Whether this build has a back end for the rendered formats (PDF, SVG, PNG).
bool rendered_formats_available();

/// A device for PDF, SVG or PNG that renders one page into `bytes` when it is closed: the
/// paper in the page's orientation, its printable area inset by the target's margin,
/// `document_name` the title of a PDF or SVG. A PDF asks viewers to print
/// it at actual size. nullptr when the build has no such back end. `bytes` stays empty when
/// the page cannot be rendered (no memory for the sheet, a painter that cannot begin, an
/// image that cannot be encoded, a PDF that cannot be given its preference): a rendered
/// page is never empty.
std::unique_ptr<PrintDevice> make_file_device(const FileTarget& target, std::string& bytes,
                                              std::string_view document_name);

}  // namespace veltrane
