#include "page_files.h"

#include "print/file_output.h"

namespace veltrane {

std::string render_page_file(PageFile kind, Paper paper, const std::string& title,
                             const std::function<void(const PrintOpener&)>& print) {
  const FileFormat format = kind == PageFile::pdf ? FileFormat::pdf : FileFormat::svg;
  // The margin veltrane-cli leaves by default, so that a download is the CLI's page.
  const FileTarget target{format, default_dpi(format), paper, default_margin_mm};
  std::string bytes;
  print([&](std::string_view /*document_name*/) {
    return make_vector_file_device(target, bytes, title);
  });
  return bytes;
}

}  // namespace veltrane
