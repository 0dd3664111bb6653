#pragma once

#include <ostream>
#include <string>

namespace veltrane {

/// Writes finished output: to `out` for "-", else to the file OUTPUT whole or not at all
/// (cli/output_file.h). Returns the exit code, 0 or 2; output that cannot be written, and
/// empty `bytes` (a page the back end could not paint), are reported on `err` in one line.
int write_output(const std::string& output, const std::string& bytes, std::ostream& out,
                 std::ostream& err);

}  // namespace veltrane
