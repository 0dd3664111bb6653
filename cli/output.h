#pragma once

#include <ostream>
#include <string>

#include "cli/output_file.h"

namespace veltrane {

/// Writes finished output: to `out` for "-", else to the file OUTPUT whole or not at all
/// (cli/output_file.h). Returns the exit code, 0 or 2; output that cannot be written, and
/// empty `bytes` (a page the back end could not paint), are reported on `err` in one line.
int write_output(const std::string& output, const std::string& bytes, std::ostream& out,
                 std::ostream& err);

/// The same for output made piece by piece (cli/output_file.h): each piece is written as it
/// comes, and a file still appears whole or not at all.
int write_output(const std::string& output, const OutputPieces& produce, std::ostream& out,
                 std::ostream& err);

}  // namespace veltrane
