#include "app/render.h"

#include <sstream>

#include "print/trace_device.h"

namespace veltrane {

std::optional<FileFormat> file_format_named(std::string_view name) {
  if (name == "pdf") return FileFormat::pdf;
  if (name == "svg") return FileFormat::svg;
  if (name == "png") return FileFormat::png;
  if (name == "trace") return FileFormat::trace;
  return std::nullopt;
}

std::string render_page(const FileTarget& target, std::string_view title,
                        const std::function<void(const PrintOpener&)>& draw) {
  const int dpi = target.dpi != 0 ? target.dpi : default_dpi(target.format);
  if (target.format == FileFormat::trace) {
    std::ostringstream trace;
    draw(trace_opener(trace, dpi));
    return trace.str();
  }
  FileTarget resolved = target;
  resolved.dpi = dpi;
  std::string bytes;
  draw(
      [&](std::string_view /*document_name*/) { return make_file_device(resolved, bytes, title); });
  return bytes;
}

std::string render_page(const PageKind& kind, const PageInputs& inputs, const FileTarget& target) {
  return render_page(target, kind.title(inputs),
                     [&](const PrintOpener& open) { kind.draw(inputs, open); });
}

}  // namespace veltrane
