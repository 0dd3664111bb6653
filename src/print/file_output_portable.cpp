// A build without a graphics toolkit (the core, the browser) writes traces and the vector
// formats.
#include "print/file_output.h"

namespace veltrane {

bool file_format_available(FileFormat format) {
  return format != FileFormat::png;
}

std::unique_ptr<PrintDevice> make_file_device(const FileTarget& target, std::string& bytes,
                                              std::string_view document_name) {
  return make_vector_file_device(target, bytes, document_name);
}

}  // namespace veltrane
