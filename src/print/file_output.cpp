#include "print/file_output.h"

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

}  // namespace veltrane
