#include "print/file_output.h"

#include "print/pdf_writer.h"
#include "print/svg_writer.h"
#include "print/trace_device.h"

namespace veltrane {

int default_dpi(FileFormat format) {
  switch (format) {
    case FileFormat::trace:
      return trace_default_dpi;
    case FileFormat::png:
      return 300;
    case FileFormat::pdf:
    case FileFormat::svg:
      return 600;
  }
  return trace_default_dpi;
}

SheetMm target_sheet_mm(const FileTarget& target, Orientation orientation) {
  const SheetMm upright = target.upright_sheet;
  if (!(upright.width_mm > 0 && upright.height_mm > 0)) return sheet_mm(target.paper, orientation);
  if (orientation == Orientation::landscape) return {upright.height_mm, upright.width_mm};
  return upright;
}

std::unique_ptr<PrintDevice> make_vector_file_device(const FileTarget& target, std::string& bytes,
                                                     std::string_view document_name) {
  FileTarget resolved = target;
  if (resolved.dpi <= 0) resolved.dpi = default_dpi(target.format);
  if (target.format == FileFormat::pdf) return make_pdf_device(resolved, bytes, document_name);
  if (target.format == FileFormat::svg) return make_svg_device(resolved, bytes, document_name);
  return nullptr;
}

}  // namespace veltrane
