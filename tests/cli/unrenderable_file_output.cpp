// A rendered-format back end whose pages never come out, as when a painter cannot begin.
#include <sstream>

#include "print/file_output.h"
#include "print/trace_device.h"

namespace veltrane {

bool file_format_available(FileFormat /*format*/) {
  return true;
}

std::unique_ptr<PrintDevice> make_file_device(const FileTarget& /*target*/, std::string& /*bytes*/,
                                              std::string_view document_name) {
  static std::ostringstream discarded;
  return make_trace_device(discarded, document_name);
}

}  // namespace veltrane
