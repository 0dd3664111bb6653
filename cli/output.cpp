#include "cli/output.h"

#include "cli/output_file.h"
#include "cli/standard_output.h"

namespace veltrane {

int write_output(const std::string& output, const std::string& bytes, std::ostream& out,
                 std::ostream& err) {
  // Finished output is never empty; empty means the graphics back end could not paint it.
  if (bytes.empty()) {
    err << "veltrane-cli: cannot render the page for '" << output
        << "': the graphics back end could not paint a sheet of this size\n";
    return 2;
  }
  if (output == "-") return write_standard_output(out, bytes, err);
  const std::string error = write_output_file(output, bytes);
  if (!error.empty()) {
    err << "veltrane-cli: " << error << '\n';
    return 2;
  }
  return 0;
}

}  // namespace veltrane
