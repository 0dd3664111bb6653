#pragma once

#include <ostream>
#include <span>
#include <string>
#include <string_view>

namespace veltrane {

/// Runs veltrane-cli on its arguments (without the program name). Returns the exit code:
/// 0 on success, 2 for a mistake in the arguments or an output that cannot be written.
int run_cli(std::span<const std::string_view> args, std::ostream& out, std::ostream& err);

/// Writes finished output: to `out` for "-", else to the file OUTPUT whole or not at all
/// (cli/output_file.h). Returns the exit code, 0 or 2; output that cannot be written, and
/// empty `bytes` (a page the back end could not paint), are reported on `err` in one line.
int write_output(const std::string& output, const std::string& bytes, std::ostream& out,
                 std::ostream& err);

}  // namespace veltrane
