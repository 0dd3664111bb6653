// A build without a graphics toolkit writes traces only.
#include "print/file_output.h"

namespace veltrane {

bool rendered_formats_available() {
  return false;
}

std::unique_ptr<PrintDevice> make_file_device(const FileTarget& /*target*/, std::string& /*bytes*/,
                                              std::string_view /*document_name*/) {
  return nullptr;
}

}  // namespace veltrane
